// The console's one window on Qt: the controls of the layout table, its two
// timers, and the console's logic behind them. Clicks and timer ticks go to
// the Console; the Console works on the window through the View interface.
#ifndef KTRV_FRM_MAIN_H
#define KTRV_FRM_MAIN_H

#include <QWidget>

#include <array>
#include <memory>

#include "console.h"
#include "view.h"

class QTimer;

namespace ktrv {

class frmMain : public QWidget, public View {
  Q_OBJECT
 public:
  explicit frmMain(Library &library, QWidget *parent = nullptr);
  ~frmMain() override;

  // True from the moment the window starts closing; every wait then ends.
  bool isClosing() const { return console_->isClosing(); }

  // View.
  std::string text(ControlId control) const override;
  void setText(ControlId control, const std::string &text) override;
  std::uint32_t backColour(ControlId control) const override;
  void setBackColour(ControlId control, std::uint32_t rgb) override;
  std::uint32_t foreColour(ControlId control) const override;
  void setForeColour(ControlId control, std::uint32_t rgb) override;
  bool isChecked(ControlId control) const override;
  void setChecked(ControlId control, bool checked) override;
  void startTimer(TimerId timer, int intervalMs) override;
  void stopTimer(TimerId timer) override;
  void waitForEvents() override;
  void requestClose() override;
  void showWaiting(bool waiting) override;
  void setToolTip(ControlId control, const std::string &text) override;
  void showFatalMessage(const std::string &title, const std::string &message) override;

 protected:
  void closeEvent(QCloseEvent *event) override;
  void paintEvent(QPaintEvent *event) override;

 private:
  void createControls();
  void applyTabOrder();
  QTimer *timer(TimerId timer) const;

  std::array<QWidget *, layout::kControls.size()> controls_{};
  QTimer *tmrVekPoll_ = nullptr;
  QTimer *Delay1_ = nullptr;
  bool waitCursor_ = false;
  std::unique_ptr<Console> console_;
};

}  // namespace ktrv

#endif

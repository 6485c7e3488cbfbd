// The console's one window on the Windows API: the controls of the layout
// table, the frame lines, the two timers, and the console's logic behind
// them. Clicks and timer ticks go to the Console; the Console works on the
// window through the View interface.
#ifndef KTRV_WIN32_WINDOW_H
#define KTRV_WIN32_WINDOW_H

#include <windows.h>

#include <array>
#include <memory>

#include "console.h"
#include "controls.h"
#include "tool_tips.h"
#include "view.h"

namespace ktrv::win32 {

class MainWindow : public View {
 public:
  // Creates the window and its controls, and the console behind them (which
  // starts the poll timer). The window shows with show().
  MainWindow(HINSTANCE instance, Library &library);
  MainWindow(const MainWindow &) = delete;
  MainWindow &operator=(const MainWindow &) = delete;
  ~MainWindow() override;

  bool created() const { return hwnd_ != nullptr; }
  void show(int showCommand);
  // The message loop until the window has closed; the program's exit status.
  int run();

  // View.
  std::string text(ControlId control) const override;
  void setText(ControlId control, const std::string &text) override;
  std::uint32_t backColour(ControlId control) const override { return controls_[control].back; }
  void setBackColour(ControlId control, std::uint32_t rgb) override;
  std::uint32_t foreColour(ControlId control) const override { return controls_[control].fore; }
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

 private:
  struct Control {
    HWND hwnd = nullptr;
    std::uint32_t back = 0;
    std::uint32_t fore = 0;
    HBRUSH brush = nullptr;  // of `back`, made when first asked for
  };

  static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  void createControls();
  void dispatch(MSG &msg);
  bool tabbed(const MSG &msg);
  bool selectedAll(const MSG &msg);
  void moveFocus(int step);
  void quitDuringWait(WPARAM status);
  void command(WPARAM wParam);
  LRESULT colours(HDC dc, HWND control);
  void paintLines();
  bool rowOf(HWND control, ControlId &row) const;

  HINSTANCE instance_;
  HWND hwnd_ = nullptr;
  HBRUSH windowBrush_ = nullptr;
  HBITMAP picture_ = nullptr;
  FontSet fonts_;
  std::array<Control, layout::kControls.size()> controls_{};
  // The control that had the focus when the window was last deactivated.
  HWND focus_ = nullptr;
  bool waitCursor_ = false;
  ToolTips toolTips_;
  std::unique_ptr<Console> console_;
};

}  // namespace ktrv::win32

#endif

// A command button drawn filled with its own background colour, with a
// raised 3-D edge and a caption that wraps inside the button, so that each
// button shows the colour the console gives it. Enter and the space bar click it when it
// has the focus.
#ifndef KTRV_COMMAND_BUTTON_H
#define KTRV_COMMAND_BUTTON_H

#include <QColor>
#include <QPushButton>

namespace ktrv {

class CommandButton : public QPushButton {
  Q_OBJECT
 public:
  CommandButton(const QString &caption, QColor back, QWidget *parent);

  QColor backColour() const { return back_; }
  void setBackColour(QColor colour);

 protected:
  void paintEvent(QPaintEvent *event) override;

 private:
  void setPaletteButtonColour(QColor colour);

  QColor back_;
};

}  // namespace ktrv

#endif

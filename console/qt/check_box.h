// The window's check boxes: a click anywhere on the box's area toggles it,
// as an operator expects of a box this small. A plain QCheckBox reacts only on its tick
// square and on the caption's own text, so a click at the edge of a box, or
// in the gap between caption and square, would do nothing.
//
// The box shows its new state while its click event runs. QCheckBox raises
// stateChanged before it asks for a repaint (and, for a click, holds the
// repaint back until the signal's handlers have returned), so a box whose
// handler waits for the terminal would go on showing its old state, or its
// pressed look, for the whole wait.
//
// Deliberately without Q_OBJECT: to everything that asks (class name,
// qobject_cast) it is a QCheckBox, with the same signals and states.
#ifndef KTRV_CHECK_BOX_H
#define KTRV_CHECK_BOX_H

#include <QCheckBox>

namespace ktrv {

class CheckBox : public QCheckBox {
 public:
  using QCheckBox::QCheckBox;

 protected:
  bool hitButton(const QPoint &pos) const override { return rect().contains(pos); }
  // A click: QCheckBox::nextCheckState raises stateChanged itself. The
  // boxes are never tristate, so a click always flips the tick.
  void nextCheckState() override {
    announced_ = isChecked() ? Qt::Unchecked : Qt::Checked;
    update();
    QCheckBox::nextCheckState();
  }
  // A change by code (setChecked): this raises stateChanged. setChecked
  // calls it for an unchanged state too (the poll does, for every input on
  // every tick); only a change needs the repaint.
  void checkStateSet() override {
    if (checkState() != announced_) {
      announced_ = checkState();
      update();
    }
    QCheckBox::checkStateSet();
  }

 private:
  Qt::CheckState announced_ = Qt::Unchecked;
};

}  // namespace ktrv

#endif

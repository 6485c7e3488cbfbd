// How the console writes a text box: the new text replaces whatever the
// operator typed and, like a fresh text in an edit box, is shown from its
// first character, so a text longer than the box shows its start, not its
// tail.
#ifndef KTRV_TEXT_BOX_H
#define KTRV_TEXT_BOX_H

#include <QLineEdit>
#include <QString>

namespace ktrv {

inline void setBoxText(QLineEdit *box, const QString &text) {
  box->setText(text);
  box->setCursorPosition(0);
}

}  // namespace ktrv

#endif

// The Qt console's message box for a failure that ends the program: it
// stays until the operator closes it. Under the offscreen and minimal
// platforms, where nobody could see or close it, it is not shown.
#ifndef KTRV_FATAL_MESSAGE_H
#define KTRV_FATAL_MESSAGE_H

#include <QString>

namespace ktrv {

void showFatalMessage(const QString &title, const QString &message);

// The box itself, on any platform; returns when the operator has closed it.
void runMessageBox(const QString &title, const QString &message);

}  // namespace ktrv

#endif

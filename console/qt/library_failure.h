// How the Qt console tells the operator that its library or one of its
// functions cannot be found: the message on standard error and in a message
// box that closes itself after a moment (not under the offscreen or minimal
// platforms, where nobody can see it); then the program ends with
// kExitLibraryMissing.
#ifndef KTRV_LIBRARY_FAILURE_H
#define KTRV_LIBRARY_FAILURE_H

#include <QString>

namespace ktrv {

inline constexpr int kFailureMessageShownMs = 800;

[[noreturn]] void endWithMessage(const QString &message);

}  // namespace ktrv

#endif

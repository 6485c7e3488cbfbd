// What happens when the terminal client library or one of its functions
// cannot be found: there is no fallback and no second attempt. The console
// prints a message naming what is missing on standard error, shows it in a
// message box that closes itself after a moment (not under the offscreen or
// minimal platforms, where nobody can see it), and ends with status 2.
#ifndef KTRV_LIBRARY_FAILURE_H
#define KTRV_LIBRARY_FAILURE_H

namespace ktrv {

inline constexpr int kExitLibraryMissing = 2;
inline constexpr int kFailureMessageShownMs = 800;

[[noreturn]] void reportMissingLibrary(const char *file, const char *why);
[[noreturn]] void reportMissingFunction(const char *file, const char *function);

}  // namespace ktrv

#endif

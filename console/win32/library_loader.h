// Loading the terminal client library on Windows: VEKXAPI.dll through
// LoadLibrary's usual search, which starts in the executable's folder; its
// functions by their undecorated export names, in the standard calling
// convention that vekxapi.h declares.
//
// A missing library or function is reported on standard error and in a
// message box that closes itself after a moment; then the program ends with
// kExitLibraryMissing.
#ifndef KTRV_WIN32_LIBRARY_LOADER_H
#define KTRV_WIN32_LIBRARY_LOADER_H

#include <functional>

#include "bound_library.h"

namespace ktrv::win32 {

inline constexpr unsigned kFailureMessageShownMs = 800;

class DllLoader : public LibraryLoader {
 public:
  const char *fileName() const override { return "VEKXAPI.dll"; }
  void *open(std::string &why) override;
  AnyFunction function(void *library, const char *name) override;
  [[noreturn]] void fail(const std::string &message) override;

  // Runs before the message shows, to keep the window's ticks and clicks
  // from reaching the library again while it is up.
  void beforeFailing(std::function<void()> quieten) { quieten_ = std::move(quieten); }

 private:
  std::function<void()> quieten_;
};

}  // namespace ktrv::win32

#endif

// Loading the terminal client library on Windows: VEKXAPI.dll through
// LoadLibrary's usual search, which starts in the executable's folder; its
// functions by their undecorated export names, in the standard calling
// convention that vekxapi.h declares.
//
#ifndef KTRV_WIN32_LIBRARY_LOADER_H
#define KTRV_WIN32_LIBRARY_LOADER_H

#include "bound_library.h"

namespace ktrv::win32 {

class DllLoader : public LibraryLoader {
 public:
  const char *fileName() const override { return "VEKXAPI.dll"; }
  void *open(std::string &why) override;
  AnyFunction function(void *library, const char *name) override;
};

}  // namespace ktrv::win32

#endif

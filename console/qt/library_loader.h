// Loading the terminal client library on Linux: libvekxapi.so.1, its
// SONAME (the run-time package has no unversioned link), through the
// dynamic loader's usual search. The executable's run path ($ORIGIN/../lib)
// finds it in the build tree and after installing.
#ifndef KTRV_LIBRARY_LOADER_H
#define KTRV_LIBRARY_LOADER_H

#include "bound_library.h"

namespace ktrv {

class DlopenLoader : public LibraryLoader {
 public:
  const char *fileName() const override { return "libvekxapi.so.1"; }
  void *open(std::string &why) override;
  AnyFunction function(void *library, const char *name) override;
};

}  // namespace ktrv

#endif

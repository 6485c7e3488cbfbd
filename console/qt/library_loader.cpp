#include "library_loader.h"

#include <dlfcn.h>

namespace ktrv {

void *DlopenLoader::open(std::string &why) {
  // dlopen searches the run path of the object that calls it, so this call
  // has to stay in the console's own code.
  void *library = dlopen(fileName(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char *error = dlerror();
    why = error != nullptr ? error : "the file could not be loaded";
  }
  return library;
}

LibraryLoader::AnyFunction DlopenLoader::function(void *library, const char *name) {
  return reinterpret_cast<AnyFunction>(dlsym(library, name));
}

}  // namespace ktrv

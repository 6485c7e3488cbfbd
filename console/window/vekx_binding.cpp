#include "vekx_binding.h"

#include <string>

#include "code_page.h"
#include "library_failure.h"
#include "vekxapi.h"

#if defined(_WIN32)
#  include <windows.h>
#else
#  include <dlfcn.h>
#endif

namespace ktrv {

std::int16_t LastResult = 0;
std::int16_t ReadLength = 0;

namespace {

#if defined(_WIN32)
constexpr const char *kLibraryFile = "vekxapi.dll";
#else
// The run-time name (SONAME): installed systems carry the unversioned
// libvekxapi.so link only with the development files.
constexpr const char *kLibraryFile = "libvekxapi.so.1";
#endif

void *libraryHandle() {
  static void *handle = nullptr;
  if (handle == nullptr) {
#if defined(_WIN32)
    handle = reinterpret_cast<void *>(LoadLibraryA(kLibraryFile));
    if (handle == nullptr) reportMissingLibrary(kLibraryFile, "the file could not be loaded");
#else
    // dlopen searches the run path of the object that calls it, so this call
    // has to stay in the console's own code.
    handle = dlopen(kLibraryFile, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
      const char *why = dlerror();
      reportMissingLibrary(kLibraryFile, why != nullptr ? why : "the file could not be loaded");
    }
#endif
  }
  return handle;
}

// Looks a function up on its first use and keeps its address.
template <typename Fn>
Fn bound(Fn &slot, const char *name) {
  if (slot == nullptr) {
    void *handle = libraryHandle();
#if defined(_WIN32)
    slot = reinterpret_cast<Fn>(GetProcAddress(static_cast<HMODULE>(handle), name));
#else
    slot = reinterpret_cast<Fn>(dlsym(handle, name));
#endif
    if (slot == nullptr) reportMissingFunction(kLibraryFile, name);
  }
  return slot;
}

decltype(&::VekRegisterProcess) gRegister = nullptr;
decltype(&::VekCloseProcess) gClose = nullptr;
decltype(&::VekRead) gRead = nullptr;
decltype(&::VekWrite) gWrite = nullptr;

}  // namespace

const char *libraryFileName() { return kLibraryFile; }

std::int16_t vekRegisterProcess(std::int16_t processType, const QString &addressList, std::int32_t addressCount) {
  auto fn = bound(gRegister, "VekRegisterProcess");
  const std::string copy = encodeCp1252(addressList);  // zero-terminated by c_str()
  LastResult = fn(processType, copy.c_str(), addressCount);
  return LastResult;
}

std::int16_t vekCloseProcess() {
  auto fn = bound(gClose, "VekCloseProcess");
  LastResult = fn();
  return LastResult;
}

std::int16_t vekRead(const char *fieldName, std::int16_t bufferSize, void *buffer) {
  auto fn = bound(gRead, "VekRead");
  const std::string copy(fieldName);
  LastResult = fn(copy.c_str(), bufferSize, buffer, &ReadLength);
  return LastResult;
}

std::int16_t vekWrite(const char *fieldName, std::int16_t dataLength, const void *data) {
  auto fn = bound(gWrite, "VekWrite");
  const std::string copy(fieldName);
  LastResult = fn(copy.c_str(), dataLength, data);
  return LastResult;
}

}  // namespace ktrv

// The console's binding to the terminal client library: loaded by name at
// the first call of any of its four functions, each function looked up by
// its export name on its own first call and kept. A library or function
// that cannot be found ends the program with kExitLibraryMissing, once the
// console has told the operator (Console::libraryMissing): there is no
// fallback and no second attempt.
#ifndef KTRV_BOUND_LIBRARY_H
#define KTRV_BOUND_LIBRARY_H

#include <functional>
#include <string>

#include "library.h"
#include "vekxapi.h"

namespace ktrv {

// The exit status of a console whose library or function is missing.
inline constexpr int kExitLibraryMissing = 2;

// What the operator is told, by every front end alike.
std::string missingLibraryMessage(const std::string &file, const std::string &why);
std::string missingFunctionMessage(const std::string &file, const std::string &function);

// How a platform loads a shared library and finds its functions.
class LibraryLoader {
 public:
  virtual ~LibraryLoader() = default;
  // The library's file name, which the platform's usual search looks up;
  // each platform's loader states it.
  virtual const char *fileName() const = 0;
  // The loaded library, or nullptr with the reason in why.
  virtual void *open(std::string &why) = 0;
  // The exported function of this name, or nullptr.
  using AnyFunction = void (*)();
  virtual AnyFunction function(void *library, const char *name) = 0;
};

class BoundLibrary : public Library {
 public:
  explicit BoundLibrary(LibraryLoader &loader) : loader_(loader) {}

  std::int16_t registerProcess(std::int16_t processType, const char *addressList, std::int32_t addressCount) override;
  std::int16_t closeProcess() override;
  std::int16_t read(const char *fieldName, std::int16_t bufferSize, void *buffer, std::int16_t *count) override;
  std::int16_t write(const char *fieldName, std::int16_t dataLength, const void *data) override;
  void onMissing(std::function<void(const std::string &message)> tell) override { tell_ = std::move(tell); }

 private:
  template <typename Fn>
  Fn bound(Fn &slot, const char *name);
  [[noreturn]] void missing(const std::string &message);

  LibraryLoader &loader_;
  std::function<void(const std::string &message)> tell_;
  void *library_ = nullptr;
  // The functions in the standard calling convention, as vekxapi.h
  // declares them.
  decltype(&::VekRegisterProcess) register_ = nullptr;
  decltype(&::VekCloseProcess) close_ = nullptr;
  decltype(&::VekRead) read_ = nullptr;
  decltype(&::VekWrite) write_ = nullptr;
};

}  // namespace ktrv

#endif

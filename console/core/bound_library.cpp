#include "bound_library.h"

#include <cstdlib>

#include "failure_reports.h"

namespace ktrv {

std::string missingLibraryMessage(const std::string &file, const std::string &why) {
  return "The library " + file + " is missing or cannot be loaded (" + why + ").";
}

std::string missingFunctionMessage(const std::string &file, const std::string &function) {
  return "The function " + function + " is missing from the library " + file + ".";
}

// Without a console to tell (a test rig calls before its window exists),
// standard error alone hears of it.
void BoundLibrary::missing(const std::string &message) {
  if (tell_)
    tell_(message);
  else
    FailureReports(writeToStandardError).say(message);
  std::_Exit(kExitLibraryMissing);
}

template <typename Fn>
Fn BoundLibrary::bound(Fn &slot, const char *name) {
  if (slot != nullptr) return slot;
  if (library_ == nullptr) {
    std::string why;
    library_ = loader_.open(why);
    if (library_ == nullptr) missing(missingLibraryMessage(loader_.fileName(), why));
  }
  slot = reinterpret_cast<Fn>(loader_.function(library_, name));
  if (slot == nullptr) missing(missingFunctionMessage(loader_.fileName(), name));
  return slot;
}

std::int16_t BoundLibrary::registerProcess(std::int16_t processType, const char *addressList,
                                           std::int32_t addressCount) {
  return bound(register_, "VekRegisterProcess")(processType, addressList, addressCount);
}

std::int16_t BoundLibrary::closeProcess() { return bound(close_, "VekCloseProcess")(); }

std::int16_t BoundLibrary::read(const char *fieldName, std::int16_t bufferSize, void *buffer, std::int16_t *count) {
  return bound(read_, "VekRead")(fieldName, bufferSize, buffer, count);
}

std::int16_t BoundLibrary::write(const char *fieldName, std::int16_t dataLength, const void *data) {
  return bound(write_, "VekWrite")(fieldName, dataLength, data);
}

}  // namespace ktrv

#include "bound_library.h"

namespace ktrv {

std::string missingLibraryMessage(const std::string &file, const std::string &why) {
  return "The library " + file + " is missing or cannot be loaded (" + why + ").";
}

std::string missingFunctionMessage(const std::string &file, const std::string &function) {
  return "The function " + function + " is missing from the library " + file + ".";
}

template <typename Fn>
Fn BoundLibrary::bound(Fn &slot, const char *name) {
  if (slot != nullptr) return slot;
  if (library_ == nullptr) {
    std::string why;
    library_ = loader_.open(why);
    if (library_ == nullptr) loader_.fail(missingLibraryMessage(loader_.fileName(), why));
  }
  slot = reinterpret_cast<Fn>(loader_.function(library_, name));
  if (slot == nullptr) loader_.fail(missingFunctionMessage(loader_.fileName(), name));
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

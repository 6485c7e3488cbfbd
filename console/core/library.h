// The four calls of the terminal client library that the console makes,
// with the library's own argument and result types.
#ifndef KTRV_LIBRARY_H
#define KTRV_LIBRARY_H

#include <cstdint>
#include <functional>
#include <string>

namespace ktrv {

class Library {
 public:
  virtual ~Library() = default;
  virtual std::int16_t registerProcess(std::int16_t processType, const char *addressList,
                                       std::int32_t addressCount) = 0;
  virtual std::int16_t closeProcess() = 0;
  virtual std::int16_t read(const char *fieldName, std::int16_t bufferSize, void *buffer, std::int16_t *count) = 0;
  virtual std::int16_t write(const char *fieldName, std::int16_t dataLength, const void *data) = 0;

  // Who is told, before the program ends, that the library or one of its
  // functions cannot be found; a library that is always there never tells.
  virtual void onMissing(std::function<void(const std::string &message)> tell) { static_cast<void>(tell); }
};

}  // namespace ktrv

#endif

// Any line on vekxsim's JSON control channel: parsing it never reads beyond
// it nor runs down the stack, and any text written as a JSON string reads
// back as one string.
#include <cstdint>
#include <string>

#include "json_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string line(reinterpret_cast<const char *>(data), size);  // exact-size heap copy
  std::string why;
  vekxsim::json::parse(line, why);
  const auto back = vekxsim::json::parse(vekxsim::json::quoted(line), why);
  if (!back || back->kind != vekxsim::json::Value::Kind::string) __builtin_trap();
  return 0;
}

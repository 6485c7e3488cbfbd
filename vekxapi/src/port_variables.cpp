#include "port_variables.h"

namespace vekx {

std::optional<std::uint16_t> port_from_text(const char *text, long highest) {
  if (*text == '\0') return std::nullopt;
  long value = 0;
  for (const char *p = text; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return std::nullopt;
    value = value * 10 + (*p - '0');
    if (value > highest) return std::nullopt;  // also keeps a long run of digits from overflowing
  }
  if (value < 1) return std::nullopt;
  return static_cast<std::uint16_t>(value);
}

}  // namespace vekx

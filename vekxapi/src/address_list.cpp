#include "address_list.h"

#include <cstring>

namespace vekx {

bool parse_address(const char *text, Address &out) {
  std::uint32_t parts[4] = {0, 0, 0, 0};
  int dots = 0;
  const char *p = text;
  if (*p == '\0' || *p == ',') return false;
  for (; *p != '\0' && *p != ','; ++p) {
    if (*p == '.') {
      if (++dots > 3) return false;
    } else if (*p >= '0' && *p <= '9') {
      std::uint32_t &part = parts[dots];
      part = part * 10 + static_cast<std::uint32_t>(*p - '0');
      if (part > 255) return false;  // also keeps a long run of digits from overflowing
    } else {
      return false;
    }
  }
  switch (dots) {
    case 3:
      out = {std::uint8_t(parts[0]), std::uint8_t(parts[1]), std::uint8_t(parts[2]), std::uint8_t(parts[3])};
      break;
    case 2:
      out = {std::uint8_t(parts[0]), 0, std::uint8_t(parts[1]), std::uint8_t(parts[2])};
      break;
    case 1:
      out = {std::uint8_t(parts[0]), 0, 0, std::uint8_t(parts[1])};
      break;
    default:
      return false;
  }
  return true;
}

bool parse_address_list(const char *list, std::int32_t count, AddressTable &table) {
  const char *position = list;
  for (int i = 0; i < node_count && i < count; ++i) {
    if (!parse_address(position, table[static_cast<std::size_t>(i)])) return false;
    // The next address starts after the next comma from the start of this one.
    const char *comma = std::strchr(position, ',');
    if (comma == nullptr) break;
    position = comma + 1;
  }
  return true;
}

}  // namespace vekx

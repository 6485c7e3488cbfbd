#include "hex_bytes.h"

#include "vekx_wire.h"

namespace vekx_common {

namespace {

bool is_separator(char c) { return c == ' ' || c == '\t' || c == ',' || c == ':'; }

}  // namespace

std::optional<std::vector<std::uint8_t>> parse_hex_bytes(std::string_view text) {
  std::vector<std::uint8_t> bytes;
  std::size_t i = 0;
  while (i < text.size()) {
    if (is_separator(text[i])) {
      ++i;
      continue;
    }
    if (text[i] == '0' && i + 1 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X')) i += 2;
    const std::size_t start = i;
    while (i < text.size() && !is_separator(text[i])) ++i;
    const std::string_view group = text.substr(start, i - start);
    if (group.empty() || group.size() % 2 != 0) return std::nullopt;
    for (std::size_t d = 0; d < group.size(); d += 2) {
      const int high = vekx::hex_digit(group[d]);
      const int low = vekx::hex_digit(group[d + 1]);
      if (high < 0 || low < 0) return std::nullopt;
      bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
  }
  return bytes;
}

std::string hex_text(std::span<const std::uint8_t> bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size() * 3);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i) out.push_back(' ');
    out.push_back(digits[bytes[i] >> 4]);
    out.push_back(digits[bytes[i] & 0xF]);
  }
  return out;
}

}  // namespace vekx_common

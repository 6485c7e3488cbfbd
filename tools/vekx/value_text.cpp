#include "value_text.h"

#include <cstdio>

namespace vekx_tool {

namespace {
int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
}  // namespace

std::optional<std::vector<std::uint8_t>> parse_hex_bytes(const std::string &text) {
  std::vector<std::uint8_t> bytes;
  std::size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (c == ' ' || c == ':') {
      ++i;
      continue;
    }
    if (c == '0' && i + 1 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X')) i += 2;
    if (i + 1 >= text.size()) return std::nullopt;
    int high = hex_digit(text[i]);
    int low = hex_digit(text[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    i += 2;
  }
  return bytes;
}

std::optional<long> parse_number(const std::string &text, long lowest, long highest) {
  if (text.empty() || text.size() > 12) return std::nullopt;
  long value = 0;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    for (std::size_t i = 2; i < text.size(); ++i) {
      int d = hex_digit(text[i]);
      if (d < 0) return std::nullopt;
      value = value * 16 + d;
    }
  } else {
    std::size_t start = text[0] == '-' ? 1 : 0;
    if (start == text.size()) return std::nullopt;
    for (std::size_t i = start; i < text.size(); ++i) {
      if (text[i] < '0' || text[i] > '9') return std::nullopt;
      value = value * 10 + (text[i] - '0');
    }
    if (start == 1) value = -value;
  }
  if (value < lowest || value > highest) return std::nullopt;
  return value;
}

std::string value_as_text(const std::vector<std::uint8_t> &value) {
  std::string out;
  for (std::uint8_t b : value) {
    if (b == 0) break;
    if (b == '\\') {
      out += "\\\\";
    } else if (b >= 0x20 && b < 0x7f) {
      out += static_cast<char>(b);
    } else {
      char esc[5];
      std::snprintf(esc, sizeof esc, "\\x%02x", b);
      out += esc;
    }
  }
  return out;
}

std::string value_as_hex(const std::vector<std::uint8_t> &value) {
  std::string out;
  for (std::uint8_t b : value) {
    char two[3];
    std::snprintf(two, sizeof two, "%02x", b);
    if (!out.empty()) out += ' ';
    out += two;
  }
  return out;
}

}  // namespace vekx_tool

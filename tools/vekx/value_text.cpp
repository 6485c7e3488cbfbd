#include "value_text.h"

#include <charconv>
#include <cstdio>

#include "hex_bytes.h"

namespace vekx_tool {

namespace {

bool printable(std::uint8_t b) { return b >= 0x20 && b < 0x7f; }

std::string as_text(const std::vector<std::uint8_t> &value) {
  std::string out;
  for (std::uint8_t b : value) {
    if (b == 0) break;
    if (b == '\\') {
      out += "\\\\";
    } else if (printable(b)) {
      out += static_cast<char>(b);
    } else {
      char esc[5];
      std::snprintf(esc, sizeof esc, "\\x%02x", b);
      out += esc;
    }
  }
  return out;
}

std::string as_decimal(const std::vector<std::uint8_t> &value) {
  std::string out;
  for (std::uint8_t b : value) out += (out.empty() ? "" : " ") + std::to_string(b);
  return out;
}

}  // namespace

std::optional<ValueForm> value_form_named(const std::string &word) {
  if (word == "text") return ValueForm::text;
  if (word == "dec") return ValueForm::dec;
  if (word == "hex") return ValueForm::hex;
  return std::nullopt;
}

std::string format_value(const std::vector<std::uint8_t> &value, ValueForm form) {
  switch (form) {
    case ValueForm::automatic:
      if (value.size() == 1)
        return std::to_string(value[0]) + (printable(value[0]) ? " '" + std::string(1, char(value[0])) + "'" : "");
      return as_text(value);
    case ValueForm::text:
      return as_text(value);
    case ValueForm::dec:
      return as_decimal(value);
    case ValueForm::hex:
      return vekx_common::hex_text(value);
  }
  return {};
}

std::optional<long> parse_number(const std::string &text, long lowest, long highest) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const char *first = text.data() + (hex ? 2 : 0);
  const char *last = text.data() + text.size();
  if (first == last || *first == '+' || (hex && *first == '-')) return std::nullopt;
  long value = 0;
  const auto [end, error] = std::from_chars(first, last, value, hex ? 16 : 10);
  if (error != std::errc() || end != last || value < lowest || value > highest) return std::nullopt;
  return value;
}

}  // namespace vekx_tool

#include "control_text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>

namespace vekxsim::control_text {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
  return out;
}

struct KeyName {
  std::uint8_t code;
  const char *shown;   // as the console names it
  const char *typed;   // as typed in a control command
  const char *typed2;  // another accepted spelling
};

constexpr KeyName key_names[] = {
    {1, "F6 Key", "f6", "f6"},
    {3, "F10 Key", "f10", "f10"},
    {4, "F9 Key", "f9", "f9"},
    {7, "F5 Key", "f5", "f5"},
    {8, "Enter Key", "enter", "return"},
    {9, "Left Arrow", "left", "leftarrow"},
    {10, "Right Arrow", "right", "rightarrow"},
    {11, "Insert Key", "insert", "ins"},
    {12, "Home Key", "home", "home"},
    {13, "End Key", "end", "end"},
    {14, "Delete Key", "delete", "del"},
    {15, "Up Arrow", "up", "uparrow"},
    {16, "Down Arrow", "down", "downarrow"},
    {17, "Page Up", "pgup", "pageup"},
    {18, "Page Down", "pgdn", "pagedown"},
    {19, "F1 Key", "f1", "f1"},
    {20, "F2 Key", "f2", "f2"},
    {21, "F3 Key", "f3", "f3"},
    {22, "F4 Key", "f4", "f4"},
    {23, "F11 Key", "f11", "f11"},
    {24, "F12 Key", "f12", "f12"},
};

}  // namespace

std::string trim(std::string_view text) {
  std::size_t b = 0, e = text.size();
  while (b < e && is_blank(text[b])) ++b;
  while (e > b && is_blank(text[e - 1])) --e;
  return std::string(text.substr(b, e - b));
}

Split first_word(std::string_view line) {
  std::size_t b = 0;
  while (b < line.size() && is_blank(line[b])) ++b;
  std::size_t e = b;
  while (e < line.size() && !is_blank(line[e])) ++e;
  std::size_t r = e;
  while (r < line.size() && is_blank(line[r])) ++r;
  std::string rest(line.substr(r));
  while (!rest.empty() && (rest.back() == '\r' || rest.back() == '\n')) rest.pop_back();
  return {std::string(line.substr(b, e - b)), rest};
}

std::optional<long> whole_number(std::string_view text, long low, long high) {
  const std::string t = trim(text);
  long value = 0;
  const auto [end, error] = std::from_chars(t.data(), t.data() + t.size(), value);
  if (t.empty() || error != std::errc() || end != t.data() + t.size() || value < low || value > high)
    return std::nullopt;
  return value;
}

std::optional<double> decimal_number(std::string_view text) {
  const std::string t = trim(text);
  if (t.empty()) return std::nullopt;
  char *end = nullptr;
  const double value = std::strtod(t.c_str(), &end);
  if (end != t.c_str() + t.size() || value != value) return std::nullopt;  // junk or NaN
  return value;
}

std::optional<bool> on_off(std::string_view text) {
  const std::string t = lower(trim(text));
  if (t == "on" || t == "1" || t == "yes" || t == "true") return true;
  if (t == "off" || t == "0" || t == "no" || t == "false") return false;
  return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> hex_bytes(std::string_view text) {
  std::string digits;
  const std::string t = lower(text);
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (is_blank(t[i]) || t[i] == ',') continue;
    if (t[i] == '0' && i + 1 < t.size() && t[i + 1] == 'x') {
      ++i;
      continue;
    }
    if (!std::isxdigit(static_cast<unsigned char>(t[i]))) return std::nullopt;
    digits.push_back(t[i]);
  }
  if (digits.size() % 2 != 0) return std::nullopt;
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i < digits.size(); i += 2)
    bytes.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
  return bytes;
}

std::optional<std::uint8_t> terminator_code(std::string_view text) {
  if (auto n = whole_number(text, 0, 255)) return static_cast<std::uint8_t>(*n);
  std::string t = lower(trim(text));
  if (t.size() > 4 && t.ends_with(" key")) t.resize(t.size() - 4);
  t.erase(std::remove(t.begin(), t.end(), ' '), t.end());
  for (const auto &k : key_names)
    if (t == k.typed || t == k.typed2) return k.code;
  return std::nullopt;
}

std::string terminator_name(std::uint8_t code) {
  for (const auto &k : key_names)
    if (k.code == code) return k.shown;
  return {};
}

}  // namespace vekxsim::control_text

#include "control_text.h"

#include "terminator_keys.h"
#include "whole_number.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

namespace vekxsim::control_text {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
  return out;
}

// How a control command may name each terminator key: its own name without
// " Key", and another common spelling.
struct KeySpelling {
  std::uint8_t code;
  const char *typed;
  const char *typed2;
};

constexpr KeySpelling key_spellings[] = {
    {1, "f6", "f6"},
    {3, "f10", "f10"},
    {4, "f9", "f9"},
    {7, "f5", "f5"},
    {8, "enter", "return"},
    {9, "left", "leftarrow"},
    {10, "right", "rightarrow"},
    {11, "insert", "ins"},
    {12, "home", "home"},
    {13, "end", "end"},
    {14, "delete", "del"},
    {15, "up", "uparrow"},
    {16, "down", "downarrow"},
    {17, "pgup", "pageup"},
    {18, "pgdn", "pagedown"},
    {19, "f1", "f1"},
    {20, "f2", "f2"},
    {21, "f3", "f3"},
    {22, "f4", "f4"},
    {23, "f11", "f11"},
    {24, "f12", "f12"},
};

}  // namespace

std::string trim(std::string_view text) {
  std::size_t b = 0, e = text.size();
  while (b < e && is_blank(text[b])) ++b;
  while (e > b && is_blank(text[e - 1])) --e;
  return std::string(text.substr(b, e - b));
}

std::optional<std::vector<Word>> split_words(std::string_view line, std::string &why) {
  std::vector<Word> words;
  for (std::size_t i = 0;;) {
    while (i < line.size() && is_blank(line[i])) ++i;
    if (i == line.size()) return words;
    Word w{{}, i, i, line[i] == '"'};
    if (!w.quoted) {
      while (i < line.size() && !is_blank(line[i])) w.text += line[i++];
    } else {
      for (++i; i < line.size() && line[i] != '"'; ++i) {
        if (line[i] == '\\' && i + 1 < line.size() && (line[i + 1] == '"' || line[i + 1] == '\\')) ++i;
        w.text += line[i];
      }
      if (i == line.size()) {
        why = "the quote at character " + std::to_string(w.begin + 1) + " is not closed: end the text with \"";
        return std::nullopt;
      }
      if (++i < line.size() && !is_blank(line[i])) {
        why = "a blank must follow the closing quote at character " + std::to_string(i) +
              " (write a quote inside quotes as \\\")";
        return std::nullopt;
      }
    }
    w.end = i;
    words.push_back(std::move(w));
  }
}

std::optional<long> whole_number(std::string_view text, long low, long high) {
  return vekx_common::whole_number(trim(text), low, high);
}

std::optional<double> decimal_number(std::string_view text) {
  // from_chars in its general form reads no hex; it does read inf and nan.
  const std::string t = trim(text);
  double value = 0;
  const auto [end, error] = std::from_chars(t.data(), t.data() + t.size(), value);
  if (t.empty() || error != std::errc() || end != t.data() + t.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<bool> on_off(std::string_view text) {
  const std::string t = lower(trim(text));
  if (t == "on" || t == "1" || t == "yes" || t == "true") return true;
  if (t == "off" || t == "0" || t == "no" || t == "false") return false;
  return std::nullopt;
}

std::optional<std::uint8_t> terminator_code(std::string_view text) {
  if (auto n = whole_number(text, 0, 255)) return static_cast<std::uint8_t>(*n);
  std::string t = lower(trim(text));
  if (t.size() > 4 && t.ends_with(" key")) t.resize(t.size() - 4);
  t.erase(std::remove(t.begin(), t.end(), ' '), t.end());
  for (const auto &k : key_spellings)
    if (t == k.typed || t == k.typed2) return k.code;
  return std::nullopt;
}

std::string terminator_name(std::uint8_t code) {
  const char *name = vekx_common::terminator_name(code);
  return name ? name : "";
}

std::string help_row(std::string left, std::string_view help, std::size_t column) {
  left.resize(std::max(column, left.size() + 1), ' ');
  std::string row;
  for (std::size_t at; (at = help.find('\n')) != std::string_view::npos; help.remove_prefix(at + 1)) {
    row += left + std::string(help.substr(0, at)) + '\n';
    left.assign(column, ' ');
  }
  return row + left + std::string(help) + '\n';
}

}  // namespace vekxsim::control_text

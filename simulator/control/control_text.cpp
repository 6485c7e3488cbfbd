#include "control_text.h"

#include "terminator_keys.h"
#include "vekx_wire.h"

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

// A key's name as a control command may type it: any case, with or without
// " Key" and blanks ("F6 Key", "f6", "Page Up", "pageup").
std::string key_spelling(std::string_view name) {
  std::string t = lower(trim(name));
  if (t.size() > 4 && t.ends_with(" key")) t.resize(t.size() - 4);
  t.erase(std::remove(t.begin(), t.end(), ' '), t.end());
  return t;
}

// Other common spellings of some keys, and the key each means.
struct KeyAlias {
  const char *typed;
  const char *means;
};

constexpr KeyAlias key_aliases[] = {
    {"return", "enter"}, {"left", "leftarrow"}, {"right", "rightarrow"}, {"ins", "insert"},    {"del", "delete"},
    {"up", "uparrow"},   {"down", "downarrow"}, {"pgup", "pageup"},      {"pgdn", "pagedown"},
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
  return vekx::whole_number(trim(text), low, high);
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
  std::string t = key_spelling(text);
  for (const auto &a : key_aliases)
    if (t == a.typed) t = a.means;
  for (const auto &k : vekx_common::terminator_keys)
    if (t == key_spelling(k.name)) return k.code;
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

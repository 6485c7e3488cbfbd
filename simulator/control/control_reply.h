// What a control command gives back: whether it did what it was asked, the
// text a person reads, and the data it returns by name, for a program to
// take without parsing the text. vekxsim prints the text form.
#ifndef VEKXSIM_CONTROL_REPLY_H
#define VEKXSIM_CONTROL_REPLY_H

#include <concepts>
#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace vekxsim {

struct ReplyValue;
using ReplyList = std::vector<ReplyValue>;
// Named values, in the order the command gives them.
using ReplyItems = std::vector<std::pair<std::string, ReplyValue>>;

// One value of a reply's data: a whole number, a decimal number, yes or no,
// a text (UTF-8), raw bytes (a field's value, a datagram), a list, or named
// values.
struct ReplyValue {
  using Bytes = std::vector<std::uint8_t>;
  using Value = std::variant<long long, double, bool, std::string, Bytes, ReplyList, ReplyItems>;

  template <std::integral N>
  requires(!std::same_as<N, bool>) ReplyValue(N number) : value(static_cast<long long>(number)) {}
  ReplyValue(double number) : value(number) {}
  ReplyValue(bool yes) : value(yes) {}
  ReplyValue(std::string text) : value(std::move(text)) {}
  ReplyValue(const char *text) : value(std::string(text)) {}
  ReplyValue(Bytes bytes) : value(std::move(bytes)) {}
  ReplyValue(ReplyList list) : value(std::move(list)) {}
  ReplyValue(ReplyItems items) : value(std::move(items)) {}
  bool operator==(const ReplyValue &) const = default;

  Value value;
};

struct ControlReply {
  bool ok = true;
  std::string text;  // what a person reads; for a refusal, why it was refused
  ReplyItems data;
  // Refused for its arguments: the command's usage, from its row in the
  // table, goes before why ("usage: select N (0..255)").
  bool misused = false;

  static ControlReply done(std::string text, ReplyItems data = {}) { return {true, std::move(text), std::move(data)}; }
  static ControlReply refused(std::string why) { return {false, std::move(why), {}}; }
  // why: what the arguments should have been, or empty.
  static ControlReply bad_usage(std::string why = {}) { return {false, std::move(why), {}, true}; }
};

// The reply as vekxsim prints it: its text, or for a refusal "error: " and
// why. One or more lines separated by '\n', no newline at the end.
std::string text_form(const ControlReply &reply);

// A list of whole numbers, such as event codes.
ReplyList number_list(const std::vector<std::uint8_t> &numbers);

}  // namespace vekxsim

#endif

// JSON text as vekxsim's machine-readable control channel reads and writes
// it: one value parsed from a line, and texts written as JSON strings.
#ifndef VEKXSIM_JSON_TEXT_H
#define VEKXSIM_JSON_TEXT_H

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vekxsim::json {

struct Value;
struct Member;
using Array = std::vector<Value>;
using Members = std::vector<Member>;

struct Value {
  enum class Kind { null, boolean, number, string, array, object };
  Kind kind = Kind::null;
  bool yes = false;  // a boolean's value
  std::string text;  // a string's characters (UTF-8), or a number as written
  Array items;       // an array's values
  Members members;   // an object's members, in their order
};

struct Member {
  std::string name;
  Value value;
};

// Arrays and objects nest at most this deep; deeper input is refused rather
// than followed down the stack.
inline constexpr int deepest_nesting = 16;

// The one JSON value that the text holds (blanks around it allowed).
// Nothing, with the reason and the byte where it was found in why, for text
// that is not JSON.
std::optional<Value> parse(std::string_view text, std::string &why);

// The text as a JSON string with its quotes. Bytes that are not UTF-8 come
// out as U+FFFD, so the result is always valid JSON.
std::string quoted(std::string_view text);

// What a value is called in a message: "a string", "an object", ...
const char *kind_name(Value::Kind kind);

}  // namespace vekxsim::json

#endif

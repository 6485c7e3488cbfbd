#include "json_text.h"

#include <cstdint>
#include <tuple>

#include "code_page.h"
#include "hex_bytes.h"
#include "vekx_wire.h"

namespace vekxsim::json {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  std::optional<Value> whole(std::string &why) {
    Value v;
    if (value(v, 0)) {
      blanks();
      if (at_ == text_.size()) return v;
      fail("text after the value");
    }
    why = why_;
    return std::nullopt;
  }

 private:
  bool fail(const std::string &what) {
    if (why_.empty()) why_ = what + " at byte " + std::to_string(at_ + 1);
    return false;
  }
  void blanks() {
    while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n' || text_[at_] == '\r'))
      ++at_;
  }
  bool next_is(char c) { return at_ < text_.size() && text_[at_] == c; }
  bool take(char c) {
    blanks();
    if (!next_is(c)) return false;
    ++at_;
    return true;
  }

  bool value(Value &v, int depth) {
    blanks();
    if (at_ >= text_.size()) return fail("a value is missing");
    const char c = text_[at_];
    if (c == '{' || c == '[') {
      if (depth >= deepest_nesting) return fail("nested deeper than " + std::to_string(deepest_nesting));
      ++at_;
      return c == '{' ? object(v, depth + 1) : array(v, depth + 1);
    }
    if (c == '"') {
      v.kind = Value::Kind::string;
      return string(v.text);
    }
    if (c == '-' || is_digit(c)) return number(v);
    for (const auto &[word, kind, yes] :
         {std::tuple{"true", Value::Kind::boolean, true}, std::tuple{"false", Value::Kind::boolean, false},
          std::tuple{"null", Value::Kind::null, false}}) {
      if (text_.substr(at_).starts_with(word)) {
        at_ += std::string_view(word).size();
        v.kind = kind;
        v.yes = yes;
        return true;
      }
    }
    return fail("not a JSON value");
  }

  bool object(Value &v, int depth) {
    v.kind = Value::Kind::object;
    if (take('}')) return true;
    do {
      blanks();
      std::string key;
      if (!next_is('"')) return fail("expected a member name in quotes");
      if (!string(key)) return false;
      if (!take(':')) return fail("expected ':'");
      Value member;
      if (!value(member, depth)) return false;
      v.members.push_back({std::move(key), std::move(member)});
    } while (take(','));
    return take('}') || fail("expected ',' or '}'");
  }

  bool array(Value &v, int depth) {
    v.kind = Value::Kind::array;
    if (take(']')) return true;
    do {
      Value item;
      if (!value(item, depth)) return false;
      v.items.push_back(std::move(item));
    } while (take(','));
    return take(']') || fail("expected ',' or ']'");
  }

  bool number(Value &v) {
    const std::size_t start = at_;
    const auto digits = [&] {
      const std::size_t from = at_;
      while (at_ < text_.size() && is_digit(text_[at_])) ++at_;
      return at_ > from;
    };
    if (next_is('-')) ++at_;
    if (next_is('0')) {
      ++at_;
    } else if (!digits()) {
      return fail("a number needs digits");
    }
    if (next_is('.') && (++at_, !digits())) return fail("a number needs digits after '.'");
    if (next_is('e') || next_is('E')) {
      ++at_;
      if (next_is('+') || next_is('-')) ++at_;
      if (!digits()) return fail("a number needs digits in its exponent");
    }
    v.kind = Value::Kind::number;
    v.text = std::string(text_.substr(start, at_ - start));
    return true;
  }

  // Four hex digits after "\u".
  std::optional<char32_t> code_unit() {
    if (at_ + 4 > text_.size()) return std::nullopt;
    char32_t unit = 0;
    for (int k = 0; k < 4; ++k) {
      const int d = vekx::hex_digit(text_[at_ + k]);
      if (d < 0) return std::nullopt;
      unit = unit * 16 + static_cast<char32_t>(d);
    }
    at_ += 4;
    return unit;
  }

  bool string(std::string &out) {
    ++at_;  // the opening quote
    while (at_ < text_.size()) {
      const char c = text_[at_];
      if (c == '"') {
        ++at_;
        return true;
      }
      if (static_cast<unsigned char>(c) < 0x20) return fail("a control character in a string (write it as \\u00XX)");
      ++at_;
      if (c != '\\') {
        out.push_back(c);
        continue;
      }
      if (at_ >= text_.size()) break;
      const char e = text_[at_++];
      switch (e) {
        case '"':
        case '\\':
        case '/':
          out.push_back(e);
          break;
        case 'b':
          out.push_back('\b');
          break;
        case 'f':
          out.push_back('\f');
          break;
        case 'n':
          out.push_back('\n');
          break;
        case 'r':
          out.push_back('\r');
          break;
        case 't':
          out.push_back('\t');
          break;
        case 'u': {
          auto unit = code_unit();
          if (!unit) return fail("\\u needs four hex digits");
          if (*unit >= 0xD800 && *unit <= 0xDBFF) {  // a surrogate pair's first half
            std::optional<char32_t> low;
            if (text_.substr(at_).starts_with("\\u")) {
              at_ += 2;
              low = code_unit();
            }
            if (!low || *low < 0xDC00 || *low > 0xDFFF) return fail("a \\u surrogate without its pair");
            unit = 0x10000 + ((*unit - 0xD800) << 10) + (*low - 0xDC00);
          } else if (*unit >= 0xDC00 && *unit <= 0xDFFF) {
            return fail("a \\u surrogate without its pair");
          }
          vekx_common::append_utf8(out, *unit);
          break;
        }
        default:
          --at_;
          return fail(std::string("unknown escape \\") + e);
      }
    }
    return fail("a string without its closing quote");
  }

  std::string_view text_;
  std::size_t at_ = 0;
  std::string why_;
};

}  // namespace

std::optional<Value> parse(std::string_view text, std::string &why) { return Parser(text).whole(why); }

std::string quoted(std::string_view text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c < 0x20 || c == 0x7F) {
      constexpr char digits[] = "0123456789abcdef";
      out += "\\u00";
      out += digits[c >> 4];
      out += digits[c & 0xF];
    } else if (std::size_t next = i; vekx_common::utf8_character(text, next)) {
      out.append(text.substr(i, next - i));
      i = next;
      continue;
    } else {
      vekx_common::append_utf8(out, 0xFFFD);
    }
    ++i;
  }
  return out + "\"";
}

const char *kind_name(Value::Kind kind) {
  switch (kind) {
    case Value::Kind::null:
      return "null";
    case Value::Kind::boolean:
      return "true or false";
    case Value::Kind::number:
      return "a number";
    case Value::Kind::string:
      return "a string";
    case Value::Kind::array:
      return "an array";
    case Value::Kind::object:
      return "an object";
  }
  return "a value";
}

}  // namespace vekxsim::json

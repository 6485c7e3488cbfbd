#include "control_json.h"

#include <charconv>
#include <cmath>
#include <variant>

#include "code_page.h"
#include "control_language.h"
#include "control_text.h"
#include "hex_bytes.h"
#include "json_text.h"

namespace vekxsim {

namespace {

constexpr const char *request_form = "a request is one line such as {\"command\": \"get\", \"args\": [\"bx297\"]}";

struct Request {
  std::string word;
  std::string arguments;  // as the command's line has them after its word
};

// One argument as the command's line has it; nothing for a value that
// cannot be one.
std::optional<std::string> argument_text(const json::Value &v) {
  switch (v.kind) {
    case json::Value::Kind::string:
    case json::Value::Kind::number:
      return v.text;
    case json::Value::Kind::boolean:
      return v.yes ? "on" : "off";
    default:
      return std::nullopt;
  }
}

// The request a line holds, or why it holds none.
std::variant<Request, std::string> read_request(const std::string &line) {
  std::string why;
  const auto parsed = json::parse(line, why);
  if (!parsed) return "not JSON: " + why + "; " + request_form;
  if (parsed->kind != json::Value::Kind::object)
    return std::string("the line holds ") + json::kind_name(parsed->kind) + ", not an object; " + request_form;
  Request request;
  bool named = false, given_args = false;
  for (const auto &[name, value] : parsed->members) {
    if (name == "command") {
      if (named) return "\"command\" is given twice";
      if (value.kind != json::Value::Kind::string)
        return std::string("\"command\" must be a string, not ") + json::kind_name(value.kind);
      named = true;
      request.word = value.text;
    } else if (name == "args") {
      if (given_args) return "\"args\" is given twice";
      if (value.kind != json::Value::Kind::array)
        return std::string("\"args\" must be an array, not ") + json::kind_name(value.kind);
      given_args = true;
      for (std::size_t i = 0; i < value.items.size(); ++i) {
        const auto text = argument_text(value.items[i]);
        if (!text)
          return "args[" + std::to_string(i) + "] is " + json::kind_name(value.items[i].kind) +
                 "; an argument is a string, a number, true or false";
        request.arguments += (i ? " " : "") + *text;
      }
    } else {
      return "unknown member " + json::quoted(name) + "; a request has \"command\" and \"args\"";
    }
  }
  if (!named) return std::string("\"command\" is missing; ") + request_form;
  return request;
}

void append_value(std::string &out, const ReplyValue &value);

void append_items(std::string &out, const ReplyItems &items) {
  for (const auto &[name, value] : items) {
    out += ", " + json::quoted(name) + ": ";
    append_value(out, value);
  }
}

void append_value(std::string &out, const ReplyValue &value) {
  std::visit(
      [&](const auto &v) {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, long long>) {
          out += std::to_string(v);
        } else if constexpr (std::is_same_v<T, double>) {
          char text[32];
          const auto end = std::to_chars(text, text + sizeof text, v).ptr;
          out += std::isfinite(v) ? std::string(text, end) : "null";  // JSON has no infinity
        } else if constexpr (std::is_same_v<T, bool>) {
          out += v ? "true" : "false";
        } else if constexpr (std::is_same_v<T, std::string>) {
          out += json::quoted(v);
        } else if constexpr (std::is_same_v<T, ReplyValue::Bytes>) {
          out += "{\"hex\": " + json::quoted(vekx_common::hex_text(v)) +
                 ", \"text\": " + json::quoted(vekx_common::utf8_from_cp1252(v)) + "}";
        } else if constexpr (std::is_same_v<T, ReplyList>) {
          out += '[';
          for (std::size_t i = 0; i < v.size(); ++i) {
            if (i) out += ", ";
            append_value(out, v[i]);
          }
          out += ']';
        } else {
          static_assert(std::is_same_v<T, ReplyItems>);
          std::string inner;
          append_items(inner, v);
          out += '{' + (inner.empty() ? inner : inner.substr(2)) + '}';
        }
      },
      value.value);
}

}  // namespace

std::string json_form(const ControlReply &reply) {
  std::string out = reply.ok ? "{\"ok\": true, \"reply\": " : "{\"ok\": false, \"error\": ";
  out += json::quoted(reply.text);
  append_items(out, reply.data);
  return out + '}';
}

std::string json_answer(const RunCommand &run, const std::string &line) {
  if (control_text::trim(line).empty()) return {};
  const auto request = read_request(line);
  if (const auto *why = std::get_if<std::string>(&request)) return json_form(ControlReply::refused(*why));
  const auto &r = std::get<Request>(request);
  return json_form(run(r.word, r.arguments));
}

std::string json_answer(Terminal &terminal, const std::string &line) {
  return json_answer(
      [&terminal](const std::string &word, const std::string &arguments) {
        return run_control_command(terminal, word, arguments);
      },
      line);
}

std::string json_serving_line(const std::string &address, std::uint16_t port, int node) {
  return "{\"serving\": " + json::quoted(address) + ", \"port\": " + std::to_string(port) +
         ", \"node\": " + std::to_string(node) + "}";
}

}  // namespace vekxsim

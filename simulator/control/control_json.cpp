#include "control_json.h"

#include <set>
#include <vector>

#include "code_page.h"
#include "control_text.h"
#include "hex_bytes.h"

namespace vekxsim {

namespace {

constexpr const char *request_form = "a request is one line such as {\"command\":\"get\",\"args\":[\"bx297\"]}";

// What a value is called in a message: "a string", "an object", "null".
std::string kind_name(const Json &v) {
  if (v.is_null()) return "null";
  return std::string(v.is_object() || v.is_array() ? "an " : "a ") + v.type_name();
}

// One argument as the command takes it; nothing for a value that cannot be
// one.
std::optional<std::string> argument_text(const Json &v) {
  if (v.is_string()) return v.get<std::string>();
  if (v.is_number()) return v.dump();
  if (v.is_boolean()) return v.get<bool>() ? "on" : "off";
  return std::nullopt;
}

Json value_json(const ReplyValue &value) {
  return std::visit(
      [](const auto &v) {
        using T = std::decay_t<decltype(v)>;
        Json out;
        if constexpr (std::is_same_v<T, ReplyValue::Bytes>) {
          out["hex"] = vekx_common::hex_text(v);
          out["text"] = vekx_common::utf8_from_cp1252(v);
        } else if constexpr (std::is_same_v<T, ReplyList>) {
          out = Json::array();
          for (const ReplyValue &item : v) out.push_back(value_json(item));
        } else if constexpr (std::is_same_v<T, ReplyItems>) {
          out = Json::object();
          for (const auto &[name, item] : v) out[name] = value_json(item);
        } else {
          out = v;  // a number (not finite: null), yes or no, a text
        }
        return out;
      },
      value.value);
}

}  // namespace

std::variant<Json, std::string> parse_json_line(std::string_view line) {
  // The names of the objects open at the parser's place.
  std::vector<std::set<std::string>> open;
  std::string repeated;
  const Json::parser_callback_t note_names = [&](int, Json::parse_event_t event, Json &parsed) {
    using Event = Json::parse_event_t;
    if (event == Event::object_start) {
      open.emplace_back();
    } else if (event == Event::object_end) {
      open.pop_back();
    } else if (event == Event::key && !open.back().insert(parsed.get<std::string>()).second && repeated.empty()) {
      repeated = parsed.dump();
    }
    return true;
  };
  try {
    Json value = Json::parse(line.begin(), line.end(), note_names);
    if (!repeated.empty()) return repeated + " is given twice";
    return value;
  } catch (const Json::exception &e) {
    // "[json.exception.parse_error.101] parse error at line 1, column 5: ...";
    // a number too large for a double (1e999) is another kind of exception.
    const std::string what = e.what();
    const std::size_t cut = what.find("] ");
    return "not JSON: " + (cut == std::string::npos ? what : what.substr(cut + 2)) + "; " + request_form;
  }
}

std::variant<JsonRequest, std::string> json_request(const Json &request) {
  if (!request.is_object()) return "the line holds " + kind_name(request) + ", not an object; " + request_form;
  // The members in the order the request writes them: the first unknown
  // one is named.
  for (const auto &[name, value] : request.items())
    if (name != "command" && name != "args")
      return "unknown member " + Json(name).dump() + "; a request has \"command\" and \"args\"";
  const auto command = request.find("command");
  if (command == request.end()) return std::string("\"command\" is missing; ") + request_form;
  if (!command->is_string()) return "\"command\" must be a string, not " + kind_name(*command);
  JsonRequest r{command->get<std::string>(), {}};
  if (const auto args = request.find("args"); args != request.end()) {
    if (!args->is_array()) return "\"args\" must be an array, not " + kind_name(*args);
    for (std::size_t i = 0; i < args->size(); ++i) {
      const auto text = argument_text((*args)[i]);
      if (!text)
        return "args[" + std::to_string(i) + "] is " + kind_name((*args)[i]) +
               "; an argument is a string, a number, true or false";
      r.args.push_back(*text);
    }
  }
  return r;
}

Json json_reply(Terminal &terminal, const Json &request) {
  const auto r = json_request(request);
  if (const auto *why = std::get_if<std::string>(&r)) return json_form(ControlReply::refused(*why));
  const auto &[command, args] = std::get<JsonRequest>(r);
  return json_form(run_control_command(terminal, command, args));
}

std::string json_answer(const RunCommand &run, std::string_view line) {
  if (control_text::trim(line).empty()) return {};
  const auto parsed = parse_json_line(line);
  if (const auto *why = std::get_if<std::string>(&parsed)) return json_line(json_form(ControlReply::refused(*why)));
  const auto request = json_request(std::get<Json>(parsed));
  if (const auto *why = std::get_if<std::string>(&request)) return json_line(json_form(ControlReply::refused(*why)));
  const auto &[command, args] = std::get<JsonRequest>(request);
  return json_line(json_form(run(command, args)));
}

std::string json_answer(Terminal &terminal, std::string_view line) {
  return json_answer(
      [&terminal](const std::string &word, const ControlArguments &arguments) {
        return run_control_command(terminal, word, arguments);
      },
      line);
}

Json json_form(const ControlReply &reply) {
  Json out = {{"ok", reply.ok}, {reply.ok ? "reply" : "error", reply.text}};
  for (const auto &[name, value] : reply.data) out[name] = value_json(value);
  return out;
}

std::string json_line(const Json &answer) { return answer.dump(-1, ' ', false, Json::error_handler_t::replace); }

std::string json_serving_line(const std::string &address, std::uint16_t port, int node, const std::string &web_panel) {
  Json line = {{"serving", address}, {"port", port}, {"node", node}};
  if (!web_panel.empty()) line["web"] = web_panel;
  return json_line(line);
}

}  // namespace vekxsim

// The control language in JSON, for programs that drive vekxsim (its
// --control json): one request object a line in, one answer object a line
// out. A request names a command of the control language's table and its
// arguments, each handed to the command as it is; the answer carries the
// command's reply with its data.
//
//   {"command":"set","args":["Lit01","  HELLO"]}
//   {"ok":true,"reply":"/t1/Lit01 len=7 ...","name":"/t1/Lit01","status":0,
//    "bytes":{"hex":"20 20 48 45 4c 4c 4f","text":"  HELLO"}}
//   {"ok":false,"error":"no field /t1/nothere"}
//
// A program that speaks JSON another way (over HTTP, say) reads its request
// with parse_json_line and calls json_reply.
#ifndef VEKXSIM_CONTROL_JSON_H
#define VEKXSIM_CONTROL_JSON_H

#include <cstdint>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <variant>

#include "control_language.h"
#include "control_reply.h"

namespace vekxsim {

class Terminal;

// The one JSON type of vekxsim, requests and answers alike: an object keeps
// its members in the order written, so that an answer has "ok" first, then
// "reply" or "error", then the data by name. Only parse_json_line reads
// JSON text (its reader is costly to compile); everything else builds
// values.
using Json = nlohmann::ordered_json;

// The one JSON value a line holds, or why it holds none: text that is not
// JSON, or an object that names a member twice (which a reader would
// otherwise take silently as one of the two).
std::variant<Json, std::string> parse_json_line(std::string_view line);

// The command and arguments of a request object, or why it is none; of
// several unknown members, the first in the request is named. Arguments are strings, numbers (as written) or true and
// false (as on and off).
struct JsonRequest {
  std::string command;
  ControlArguments args;
};
std::variant<JsonRequest, std::string> json_request(const Json &request);

// Carries out one request and answers it, "ok": false with why when it is
// no request or the command refuses it.
Json json_reply(Terminal &terminal, const Json &request);

// Carries out one request line and returns its answer, one line of JSON
// without a newline; a line that is no request gets an answer with "ok":
// false and why. A blank line gets no answer: "".
std::string json_answer(Terminal &terminal, std::string_view line);
// The same for another set of commands (a replay's own): run carries out a
// command word with its arguments.
using RunCommand = std::function<ControlReply(const std::string &word, const ControlArguments &arguments)>;
std::string json_answer(const RunCommand &run, std::string_view line);

// A reply as JSON: "ok", then "reply" with the text a person reads or
// "error" with why it was refused, then the reply's data by name. Bytes
// come as {"hex":"ff 00","text":"..."}, the text in UTF-8 from the
// terminal's Windows-1252.
Json json_form(const ControlReply &reply);

// An answer as one line, bytes that are not UTF-8 written as U+FFFD so
// that any JSON reader takes it.
std::string json_line(const Json &answer);

// The first line vekxsim writes in JSON mode:
// {"serving":"127.0.0.1","port":41234,"node":1}, with
// "web":"http://127.0.0.1:8080/" after them when a web panel is given.
std::string json_serving_line(const std::string &address, std::uint16_t port, int node,
                              const std::string &web_panel = {});

}  // namespace vekxsim

#endif

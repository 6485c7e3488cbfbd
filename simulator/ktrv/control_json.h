// The control language in JSON, for programs that drive vekxsim (its
// --control json): one request object a line in, one answer object a line
// out. A request names a command of the control language's table and its
// arguments; the answer carries the command's reply with its data.
//
//   {"command": "set", "args": ["Lit01", "HELLO"]}
//   {"ok": true, "reply": "/t1/Lit01 len=5 ...", "name": "/t1/Lit01", "status": 0,
//    "bytes": {"hex": "48 45 4c 4c 4f", "text": "HELLO"}}
//   {"ok": false, "error": "no field /t1/nothere"}
#ifndef VEKXSIM_CONTROL_JSON_H
#define VEKXSIM_CONTROL_JSON_H

#include <cstdint>
#include <functional>
#include <string>

#include "control_reply.h"

namespace vekxsim {

class Terminal;

// Carries out one request line and returns its answer, one line of JSON
// without a newline; a line that is no request gets an answer with "ok":
// false and why. A blank line gets no answer: "".
//
// The arguments, strings, numbers (as written) or true and false (as on and
// off), are joined with blanks into the argument text of the command's
// line, so that they mean what they mean there.
std::string json_answer(Terminal &terminal, const std::string &line);
// The same for another set of commands: run carries out a command word with
// its argument text (as a line of the control language has it).
using RunCommand = std::function<ControlReply(const std::string &word, const std::string &arguments)>;
std::string json_answer(const RunCommand &run, const std::string &line);

// A reply as JSON: "ok", then "reply" with the text a person reads or
// "error" with why it was refused, then the reply's data by name. Bytes
// come as {"hex": "ff 00", "text": "..."}, the text in UTF-8 from the
// terminal's Windows-1252.
std::string json_form(const ControlReply &reply);

// The first line vekxsim writes in JSON mode:
// {"serving": "127.0.0.1", "port": 41234, "node": 1}
std::string json_serving_line(const std::string &address, std::uint16_t port, int node);

}  // namespace vekxsim

#endif

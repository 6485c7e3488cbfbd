// The panel's one door to the simulated terminal: a command request in, its
// answer out, both as JSON objects, through the same command table as the
// text and JSON control. Everything the panel shows or changes goes through
// here.
#ifndef VEKXSIM_WEB_TERMINAL_DOOR_H
#define VEKXSIM_WEB_TERMINAL_DOOR_H

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "panel_subject.h"

namespace vekxsim {

class Terminal;

namespace web {

// Carries out {"command": NAME, "args": [...]} and returns the answer that
// --control json gives for it: "ok", then "reply" or "error", then the data.
Json run_command(Terminal &terminal, const Json &request);

// The command request a POST body holds, or nothing with why in why: the
// body must be one JSON object.
std::optional<Json> command_request(const std::string &body, std::string &why);

// The whole state the page shows, as one object, made of the answers of
// the read-only commands: "status", "display", "inputs", "outputs",
// "events", the weight field on show and every field's value.
Json terminal_state(Terminal &terminal);

// What the page shows of the fields the state holds ("fields": name and
// bytes of each): the lower display, the command mailbox and the literal,
// and the words for the key and event codes.
void add_face_fields(Json &state);

// The simulated terminal as a panel shows it: every command goes through.
PanelSubject terminal_subject(Terminal &terminal);

// vekxsim's first line in JSON mode with the panel's address added:
// {"serving": ..., "port": ..., "node": ..., "web": "http://127.0.0.1:8080/"}
std::string serving_line_with_web(const std::string &serving_line, const std::string &url);

}  // namespace web
}  // namespace vekxsim

#endif

// The panel's one door to the simulated terminal: a command request in, its
// answer out, both as JSON objects, through the same command table as the
// text and JSON control. Everything the panel shows or changes goes through
// here.
#ifndef VEKXSIM_WEB_TERMINAL_DOOR_H
#define VEKXSIM_WEB_TERMINAL_DOOR_H

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

// The whole state the page shows, as one object: the model and every field
// taken at one moment under the model's lock (what "status", "display",
// "inputs", "outputs" and "fields" answer), the weight as the field on show
// holds it, and the faults in force.
Json terminal_state(Terminal &terminal);

// What the page shows of the fields the state holds ("fields": name and
// bytes of each, or "silent"): the lower display, the mailboxes, the
// literal, the display lines' fields, the inputs' fields and, where the
// state has none, the weight field; each as its bytes, {"silent": true}
// for a field whose reads go unanswered, or null for one the state lacks.
// Then the words for the key and event codes and how long the library
// waits for a reply.
void add_face_fields(Json &state);

// The simulated terminal as a panel shows it: every command goes through.
PanelSubject terminal_subject(Terminal &terminal);

}  // namespace web
}  // namespace vekxsim

#endif

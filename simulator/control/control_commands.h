// The control commands by family, one file each (control_*.cpp): a family's
// rows of the command table (word, arguments, help), each beside the function
// that carries it out. A function gets as many arguments as its row says it
// takes (control_language.cpp checks them); it refuses others with
// ControlReply::bad_usage, which puts the row's usage in front.
#ifndef VEKXSIM_CONTROL_COMMANDS_H
#define VEKXSIM_CONTROL_COMMANDS_H

#include <cstdio>
#include <span>
#include <string>
#include <string_view>

#include "control_language.h"
#include "control_reply.h"
#include "terminal.h"

namespace vekxsim {

namespace control {

using Args = ControlArguments;
using Rows = std::span<const ControlCommand>;

// The families in the order of the help list.
Rows session_commands();  // the simulator as a whole (control_session.cpp)
Rows field_commands();    // fields, their values, statuses and silence (control_fields.cpp)
Rows event_commands();    // the event mailbox and literals (control_events.cpp)
Rows scale_commands();    // the scale and the weight selector (control_scale.cpp)
Rows device_commands();   // inputs, outputs, displays and the command mailbox (control_device.cpp)
Rows fault_commands();    // faults on the service's replies (control_faults.cpp)

// Why a text for the terminal cannot go in its Windows-1252, naming it
// as what; empty when it can.
std::string text_refusal(const std::string &text, std::string_view what);

// A weight as the replies show it: "12.50".
inline std::string weight_text(double weight) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", weight);
  return text;
}

// Why the scale cannot take weight w ("beyond what wt101 can show: give
// -9999.99 to 99999.99"): a weight the weight fields cannot show would be
// served as their largest or smallest one, which the console could not
// tell apart. Empty when it can.
std::string unshown_weight(double w);

// The refusal of a pause out of range: "usage: sleep MS (0..600000)".
inline ControlReply bad_ms() { return ControlReply::bad_usage("0.." + std::to_string(longest_pause_ms)); }

}  // namespace control

}  // namespace vekxsim

#endif

// The functions of the control commands, one per command, by family; each
// takes its arguments as a list, as many as its row in control_language.cpp
// (which puts them into its table with their help) says it takes.
#ifndef VEKXSIM_CONTROL_COMMANDS_H
#define VEKXSIM_CONTROL_COMMANDS_H

#include <cstdio>
#include <string>
#include <string_view>

#include "control_language.h"
#include "control_reply.h"
#include "terminal.h"

namespace vekxsim {

namespace control {

using Args = ControlArguments;
using Run = ControlReply(Terminal &terminal, const Args &args);

// The simulator as a whole (control_session.cpp).
Run help, status, traffic, log, sleep, quit, reset;
// Fields, their values, statuses and silence (control_fields.cpp).
Run fields, get, set, sethex, setbyte, fieldstatus, fieldsilent;
// The event mailbox and literals (control_events.cpp).
Run event, events, ack, key, serial;
// The scale and the weight selector (control_scale.cpp).
Run weight, settle, drift, select;
// Inputs, outputs, displays and the command mailbox (control_device.cpp).
Run input, inputs, lower, display, outputs, command, delay;
// Faults on the service's replies (control_faults.cpp).
Run silent, drop, replydelay, decoy;

// Why a text for the terminal cannot go in its Windows-1252, naming it
// as what; empty when it can.
std::string text_refusal(const std::string &text, std::string_view what);

// A weight as the replies show it: "12.50".
inline std::string weight_text(double weight) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", weight);
  return text;
}

// The usage of a command that takes a pause: "usage: sleep MS (0..600000)".
inline std::string usage_ms(const char *word) {
  return std::string("usage: ") + word + " MS (0.." + std::to_string(longest_pause_ms) + ")";
}

}  // namespace control

}  // namespace vekxsim

#endif

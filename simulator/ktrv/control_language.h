// The control command language of the simulated terminal, which vekxsim
// reads from standard input and script files: one table of commands, each
// row with its word, its arguments and help as the help list shows them,
// and the function that carries it out and replies (control_reply.h). The
// functions live in one file per family of commands (control_*.cpp).
//
// A program that drives vekxsim in another form (a line of JSON, say) looks
// its command up in the same table and renders the same reply.
#ifndef VEKXSIM_CONTROL_LANGUAGE_H
#define VEKXSIM_CONTROL_LANGUAGE_H

#include <span>
#include <string>
#include <string_view>

#include "control_reply.h"

namespace vekxsim {

class Terminal;

struct ControlCommand {
  const char *word;
  const char *arguments;  // as the help list shows them
  const char *help;       // nullptr: another spelling of the row above, not listed
  ControlReply (*run)(Terminal &terminal, const std::string &arguments);
};

// Every command, in the order of the help list.
std::span<const ControlCommand> control_commands();
// The row of a command word; nullptr for a word the language lacks.
const ControlCommand *find_control_command(std::string_view word);

// Carries out one line: the command word, then its arguments. A blank line
// or a comment (first word starting with '#') replies ok with no text.
ControlReply run_control_line(Terminal &terminal, const std::string &line);
// Carries out one command: its word and the text of its arguments.
ControlReply run_control_command(Terminal &terminal, std::string_view word, const std::string &arguments);

// The help list, as "help" replies with it: the text, and the listed
// commands as data ("commands": word, arguments and help of each).
ControlReply control_help();

}  // namespace vekxsim

#endif

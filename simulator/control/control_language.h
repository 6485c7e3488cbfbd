// The control command language of the simulated terminal, which vekxsim
// reads from standard input and script files: one table of commands, each
// row with its word, its arguments and help as the help list shows them,
// and the function that carries it out and replies (control_reply.h). The
// functions live in one file per family of commands (control_*.cpp).
//
// A command takes its arguments as a list. A typed line is split into
// words; the JSON channel (control_json.h) and any other program that
// drives vekxsim hand the list over as it is, each argument exactly as
// sent, through run_control_command.
#ifndef VEKXSIM_CONTROL_LANGUAGE_H
#define VEKXSIM_CONTROL_LANGUAGE_H

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "control_reply.h"

namespace vekxsim {

class Terminal;

using ControlArguments = std::vector<std::string>;

struct ControlCommand {
  const char *word;
  // As the help list shows them, one word each; "[N]" is one that may be
  // left out. Their number bounds the arguments the command takes.
  const char *arguments;
  const char *help;  // nullptr: another spelling of the row above, not listed
  ControlReply (*run)(Terminal &terminal, const ControlArguments &arguments);
  // In a typed line, the argument that takes several words with the blanks
  // between them as typed ("set Lit01 HELLO  THERE"); -1: none. When it is
  // the last, it runs to the end of the line, trailing blanks included.
  int text_argument = -1;
};

// Every command, in the order of the help list.
std::span<const ControlCommand> control_commands();
// The row of a command word; nullptr for a word the language lacks.
const ControlCommand *find_control_command(std::string_view word);

// Carries out one typed line: the command word, then its arguments. A
// blank line or a comment (first word starting with '#') replies ok with no
// text. A word in double quotes is taken exactly, blanks included, with \"
// for a quote and \\ for a backslash: set Lit01 "  X".
ControlReply run_control_line(Terminal &terminal, const std::string &line);
// The same, as vekxsim prints the reply (text_form): one or more lines
// separated by '\n', no trailing newline; "error: " and why for a refused
// command, which changed nothing; an empty text for a blank line or a
// comment.
std::string control_answer(Terminal &terminal, const std::string &line);
// Carries out one command with its arguments as given; refused when the
// command takes fewer or more.
ControlReply run_control_command(Terminal &terminal, std::string_view word, const ControlArguments &arguments);

// The help list, as "help" replies with it: the text, and the listed
// commands as data ("commands": word, arguments and help of each).
ControlReply control_help();

}  // namespace vekxsim

#endif

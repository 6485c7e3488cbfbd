// vekxsim's command line: one row per option (its name, its value, its line
// of --help and what it sets), so that a new option is one more row. The
// usage text is made from the rows.
#ifndef VEKXSIM_PROGRAM_OPTIONS_H
#define VEKXSIM_PROGRAM_OPTIONS_H

#include <optional>
#include <string>
#include <vector>

#include "replay_program.h"
#include "terminal.h"
#include "web_rules.h"

namespace vekxsim {

struct ProgramOptions {
  ProgramOptions();
  TerminalOptions terminal;  // serving on port 1701 unless --port says otherwise
  std::optional<std::string> script;
  std::optional<std::string> log_file;
  bool quiet = false;
  bool read_stdin = true;
  bool json = false;  // --control json: requests and answers as JSON lines
  replay::ReplayOptions replay;
  // --web: the panel's address and port; its token is read from
  // web_token_file at start.
  std::optional<web::Access> web;
  std::optional<std::string> web_token_file;
  bool help = false;
};

// Either the options, or the one-line reason why the arguments (those after
// the program's name) are refused.
struct ParsedOptions {
  std::optional<ProgramOptions> options;
  std::string error;
};
ParsedOptions parse_program_options(const std::vector<std::string> &args);

// What --help prints.
std::string usage_text();

}  // namespace vekxsim

#endif

// vekx: reads and writes a VekX terminal's shared-data fields, sends display
// texts and keystrokes, and follows fields as they change.
#include <cstdio>
#include <string>
#include <vector>

#include "command_line.h"
#include "console_text.h"
#include "refusal_text.h"
#include "exit_status.h"
#include "run_command.h"

int main(int argc, char **argv) {
  vekx_common::console_shows_utf8();
  vekx_tool::ParseResult parsed = vekx_tool::parse_command_line(vekx_common::program_arguments(argc, argv));
  if (!parsed.command) {
    std::fputs(vekx_common::refusal_lines("vekx", parsed.error).c_str(), stderr);
    return vekx_tool::exit_status::usage;
  }
  return vekx_tool::run_command(*parsed.command, stdout, stderr);
}

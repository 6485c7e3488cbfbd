// Carrying out one parsed vekx command through the library's C API.
#ifndef VEKX_TOOL_RUN_COMMAND_H
#define VEKX_TOOL_RUN_COMMAND_H

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "command_line.h"
#include "exit_status.h"

namespace vekx_tool {

// Values go to out, result lines to err. Returns the exit status.
int run_command(const Command &command, std::FILE *out, std::FILE *err);

// "vekx: VekRead /t1/wt101: 0 success" on err, a success not when quiet;
// returns the exit status.
int report_result(std::FILE *err, const std::string &call, std::int16_t result, ResultOrigin origin,
                  const CallContext &context, bool quiet = false);

// An address of the list in a short form (fewer than four parts) as the
// address it stands for: "vekx: note: 127.0.01 is 127.0.0.1" on err, since
// a dot left out reaches another host without an error.
void note_short_forms(const std::string &address_list, std::FILE *err);

// Registers as process type 1 with the command's address list, after the
// notes on short forms; reports a refusal and returns its exit status, or
// returns 0.
int register_for(const Command &command, std::FILE *err);

// One read of a field: its result, whether the terminal's reply was accepted
// (which tells a terminal status 1, 2 or 4 from the library's own results),
// the value it delivered and whether the value filled the buffer.
struct FieldRead {
  std::int16_t result = 0;
  bool answered = false;
  std::vector<std::uint8_t> value;
  bool filled = false;
};
FieldRead read_field(const std::string &field, bool formatted, int buffer_size);

// Polls the fields until SIGINT or SIGTERM; in watch.cpp.
int run_watch(const Command &command, std::FILE *out, std::FILE *err);

}  // namespace vekx_tool

#endif

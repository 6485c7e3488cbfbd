// The command line of vekx, parsed into one request before anything is sent.
#ifndef VEKX_TOOL_COMMAND_LINE_H
#define VEKX_TOOL_COMMAND_LINE_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vekx_tool {

enum class Action { help, version, read, write, display, reset_display, key, watch };

struct Command {
  Action action = Action::help;
  std::string address_list;         // ADDR as VekRegisterProcess takes it
  std::vector<std::string> fields;  // read/write: one; watch: one or more
  std::vector<std::uint8_t> value;  // write: the bytes to send
  std::string display_text;         // display: exactly 16 bytes, space-padded
  int node = 0;                     // display, reset-display, key: 1..16
  int key_kind = 0;                 // key: 1 or 2
  int key_code = 0;                 // key: 0..255
  bool formatted = false;           // --formatted
  bool hex = false;                 // --hex
  int buffer_size = 600;            // read --size: more than any reply holds
  int interval_ms = 300;            // watch --interval
};

// Either a command or the one-line reason why the arguments are refused.
struct ParseResult {
  std::optional<Command> command;
  std::string error;
};

ParseResult parse_command_line(const std::vector<std::string> &args);

// Number of addresses in a comma-separated list (what VekRegisterProcess
// takes as its count).
std::int32_t address_count(const std::string &address_list);

// The synopsis (shown after a refused command line) and the rest of --help.
extern const char usage_text[];
extern const char help_text[];

}  // namespace vekx_tool

#endif

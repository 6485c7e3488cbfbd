// The command line of vekx, parsed into one request before anything is sent.
#ifndef VEKX_TOOL_COMMAND_LINE_H
#define VEKX_TOOL_COMMAND_LINE_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "value_text.h"
#include "vekx_wire.h"

namespace vekx_tool {

enum class Action { help, version, read, write, display, reset_display, key, watch };

// A read buffer larger than any reply can fill.
inline constexpr int default_buffer_size = static_cast<int>(vekx::reply_buffer_size);
inline constexpr int default_interval_ms = 300;
inline constexpr int longest_interval_ms = 600000;

// A field to read, with the form its value is shown in.
struct FieldSpec {
  std::string name;
  ValueForm form = ValueForm::automatic;
  bool operator==(const FieldSpec &) const = default;
};

struct Command {
  Action action = Action::help;
  std::string address_list;               // ADDR as VekRegisterProcess takes it
  std::vector<FieldSpec> fields;          // read/write: one; watch: one or more
  std::vector<std::uint8_t> value;        // write: the bytes to send
  std::string display_text;               // display: exactly 16 bytes, space-padded
  int node = 0;                           // display, reset-display, key: 1..16
  int key_kind = 0;                       // key: 1 or 2
  int key_code = 0;                       // key: 0..255
  bool formatted = false;                 // --formatted
  bool quiet = false;                     // -q, --quiet: no result line for a success
  bool csv = false;                       // watch --csv
  int buffer_size = default_buffer_size;  // read --size
  int interval_ms = default_interval_ms;  // watch --interval
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

// The synopsis and the rest of --help.
extern const char usage_text[];
extern const char help_text[];

}  // namespace vekx_tool

#endif

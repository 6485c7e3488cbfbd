#include "command_line.h"

#include <algorithm>

#include "value_text.h"

namespace vekx_tool {

const char usage_text[] = R"(usage: vekx read ADDR FIELD [--formatted] [--hex] [--size N]
       vekx write ADDR FIELD VALUE [--hex] [--formatted]
       vekx display ADDR NODE TEXT
       vekx reset-display ADDR NODE
       vekx key ADDR NODE KIND CODE
       vekx watch ADDR FIELD... [--interval MS] [--hex]
       vekx --help | --version
)";

const char help_text[] = R"(  ADDR   the terminals' IPv4 addresses, comma-separated; the i-th serves node i
  FIELD  a field name such as /t1/wt101 (its node character picks the node)
  VALUE  text sent as it is, or with --hex bytes such as "02" or "0a ff"
  NODE   1..16;  TEXT up to 16 characters, padded with spaces
  KIND   1 or 2;  CODE 0..255 (decimal, 0xNN) or one non-digit character
  --formatted  formatted read or write     --hex   value as hex bytes
  --size N     read buffer size 0..32767 (default 600)
  --interval MS  watch poll period 1..600000 ms (default 300)
Values go to standard output, each library result to standard error as its
number and meaning. Exit status: 0 result 0; 1 no usable answer; 2 bad command
line (nothing sent); 3 terminal status other than 0; 4 refused by the library;
5 sockets error. Ports: VEKX_TERMINAL_PORT, VEKX_LOCAL_PORT (default 1701).
)";

namespace {

struct Options {
  bool formatted = false;
  bool hex = false;
  std::optional<std::string> size;
  std::optional<std::string> interval;
};

ParseResult refuse(const std::string &why) { return {std::nullopt, why}; }

}  // namespace

std::int32_t address_count(const std::string &address_list) {
  return 1 + static_cast<std::int32_t>(std::count(address_list.begin(), address_list.end(), ','));
}

ParseResult parse_command_line(const std::vector<std::string> &args) {
  if (args.empty()) return refuse("no command given");
  const std::string &verb = args[0];
  if (verb == "--help" || verb == "-h" || verb == "help") {
    Command c;
    c.action = Action::help;
    return {c, ""};
  }
  if (verb == "--version") {
    Command c;
    c.action = Action::version;
    return {c, ""};
  }

  // Options may stand anywhere after the command word; "--" ends them so that
  // a VALUE or TEXT may itself start with "--".
  Options opt;
  std::vector<std::string> operands;
  bool options_ended = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string &a = args[i];
    if (options_ended || a.size() < 2 || a.compare(0, 2, "--") != 0) {
      operands.push_back(a);
    } else if (a == "--") {
      options_ended = true;
    } else if (a == "--formatted") {
      opt.formatted = true;
    } else if (a == "--hex") {
      opt.hex = true;
    } else if (a == "--size" || a == "--interval") {
      if (i + 1 >= args.size()) return refuse(a + " needs a value");
      (a == "--size" ? opt.size : opt.interval) = args[++i];
    } else {
      return refuse("unknown option " + a);
    }
  }

  Command c;
  auto operands_expected = [&](std::size_t n) { return operands.size() == n; };
  auto only_options = [&](bool formatted, bool hex, bool size, bool interval) -> std::string {
    if (opt.formatted && !formatted) return "--formatted does not apply to " + verb;
    if (opt.hex && !hex) return "--hex does not apply to " + verb;
    if (opt.size && !size) return "--size does not apply to " + verb;
    if (opt.interval && !interval) return "--interval does not apply to " + verb;
    return "";
  };
  auto node_from = [&](const std::string &text) -> std::optional<int> {
    auto n = parse_number(text, 1, 16);
    if (!n) return std::nullopt;
    return static_cast<int>(*n);
  };

  std::string misplaced;
  if (verb == "read") {
    c.action = Action::read;
    if (!operands_expected(2)) return refuse("read takes ADDR FIELD");
    misplaced = only_options(true, true, true, false);
    if (opt.size) {
      auto n = parse_number(*opt.size, 0, 32767);
      if (!n) return refuse("--size must be a number from 0 to 32767, not " + *opt.size);
      c.buffer_size = static_cast<int>(*n);
    }
    c.fields = {operands[1]};
  } else if (verb == "write") {
    c.action = Action::write;
    if (!operands_expected(3)) return refuse("write takes ADDR FIELD VALUE");
    misplaced = only_options(true, true, false, false);
    c.fields = {operands[1]};
    if (opt.hex) {
      auto bytes = parse_hex_bytes(operands[2]);
      if (!bytes) return refuse("VALUE is not hex bytes: " + operands[2]);
      c.value = *bytes;
    } else {
      c.value.assign(operands[2].begin(), operands[2].end());
    }
    if (c.value.size() > 32767) return refuse("VALUE is longer than 32767 bytes");
  } else if (verb == "display") {
    c.action = Action::display;
    if (!operands_expected(3)) return refuse("display takes ADDR NODE TEXT");
    misplaced = only_options(false, false, false, false);
    auto node = node_from(operands[1]);
    if (!node) return refuse("NODE must be a number from 1 to 16, not " + operands[1]);
    c.node = *node;
    if (operands[2].size() > 16) return refuse("TEXT is longer than 16 characters");
    c.display_text = operands[2];
    c.display_text.resize(16, ' ');
  } else if (verb == "reset-display") {
    c.action = Action::reset_display;
    if (!operands_expected(2)) return refuse("reset-display takes ADDR NODE");
    misplaced = only_options(false, false, false, false);
    auto node = node_from(operands[1]);
    if (!node) return refuse("NODE must be a number from 1 to 16, not " + operands[1]);
    c.node = *node;
  } else if (verb == "key") {
    c.action = Action::key;
    if (!operands_expected(4)) return refuse("key takes ADDR NODE KIND CODE");
    misplaced = only_options(false, false, false, false);
    auto node = node_from(operands[1]);
    if (!node) return refuse("NODE must be a number from 1 to 16, not " + operands[1]);
    c.node = *node;
    auto kind = parse_number(operands[2], 1, 2);
    if (!kind) return refuse("KIND must be 1 or 2, not " + operands[2]);
    c.key_kind = static_cast<int>(*kind);
    const std::string &code = operands[3];
    if (code.size() == 1 && (code[0] < '0' || code[0] > '9')) {
      c.key_code = static_cast<unsigned char>(code[0]);
    } else {
      auto n = parse_number(code, 0, 255);
      if (!n) return refuse("CODE must be 0..255 or one character, not " + code);
      c.key_code = static_cast<int>(*n);
    }
  } else if (verb == "watch") {
    c.action = Action::watch;
    if (operands.size() < 2) return refuse("watch takes ADDR FIELD...");
    misplaced = only_options(false, true, false, true);
    if (opt.interval) {
      auto n = parse_number(*opt.interval, 1, 600000);
      if (!n) return refuse("--interval must be a number of ms from 1 to 600000, not " + *opt.interval);
      c.interval_ms = static_cast<int>(*n);
    }
    c.fields.assign(operands.begin() + 1, operands.end());
  } else {
    return refuse("unknown command " + verb);
  }
  if (!misplaced.empty()) return refuse(misplaced);
  c.address_list = operands[0];
  c.formatted = opt.formatted;
  c.hex = opt.hex;
  return {c, ""};
}

}  // namespace vekx_tool

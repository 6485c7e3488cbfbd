#include "command_line.h"

#include <algorithm>

#include "hex_bytes.h"

namespace vekx_tool {

const char usage_text[] = R"(usage: vekx read ADDR FIELD [--formatted] [--text|--dec|--hex] [--size N]
       vekx write ADDR FIELD VALUE [--hex] [--formatted]
       vekx display ADDR NODE TEXT
       vekx reset-display ADDR NODE
       vekx key ADDR NODE KIND CODE
       vekx watch ADDR FIELD[:FORM]... [--interval MS] [--text|--dec|--hex] [--csv]
       vekx --help | --version
)";

const char help_text[] = R"(  ADDR   the terminals' IPv4 addresses, comma-separated; the i-th serves node i
  FIELD  a field name such as /t1/wt101 (its node character picks the node)
  VALUE  text sent as it is, or with --hex bytes such as "02" or "0a ff"
  NODE   1..16;  TEXT up to 16 characters, padded with spaces
  KIND   1 or 2;  CODE 0..255 (decimal, 0xNN) or one non-digit character
  FORM   text, dec or hex: how watch shows that one field
  --formatted  formatted read or write
  --text  values as text   --dec  bytes as decimal numbers   --hex  bytes in hex
          (by default a one-byte value shows as its number and character: 54 '6')
  --size N     read buffer size 0..32767 (default 600)
  --interval MS  watch poll period 1..600000 ms (default 300)
  --csv        watch writes CSV lines: time,field,value,result
  --           ends the options: a VALUE or TEXT may start with --
Values go to standard output, each library result to standard error as its
number and meaning. Display and keystroke requests are one-way datagrams that
no reply confirms. Exit status: 0 result 0; 1 no usable answer; 2 bad command
line (nothing sent); 3 terminal status other than 0; 4 refused by the library;
5 sockets error. Ports: VEKX_TERMINAL_PORT, VEKX_LOCAL_PORT (default 1701).
)";

namespace {

struct Options {
  bool formatted = false;
  bool csv = false;
  std::optional<ValueForm> form;
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
  const auto only = [](Action action) {
    Command c;
    c.action = action;
    return ParseResult{c, ""};
  };
  if (verb == "--help" || verb == "-h" || verb == "help") return only(Action::help);
  if (verb == "--version") return only(Action::version);

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
    } else if (a == "--csv") {
      opt.csv = true;
    } else if (const auto form = value_form_named(a.substr(2))) {
      if (opt.form && *opt.form != *form) return refuse("choose one of --text, --dec and --hex");
      opt.form = form;
    } else if (a == "--size" || a == "--interval") {
      if (i + 1 >= args.size()) return refuse(a + " needs a value");
      (a == "--size" ? opt.size : opt.interval) = args[++i];
    } else {
      return refuse("unknown option " + a);
    }
  }

  Command c;
  auto only_options = [&](bool formatted, bool form, bool size, bool interval, bool csv) -> std::string {
    if (opt.formatted && !formatted) return "--formatted does not apply to " + verb;
    if (opt.form && !form) return "--text, --dec and --hex do not apply to " + verb;
    if (opt.size && !size) return "--size does not apply to " + verb;
    if (opt.interval && !interval) return "--interval does not apply to " + verb;
    if (opt.csv && !csv) return "--csv does not apply to " + verb;
    return "";
  };
  auto node_from = [&](const std::string &text) -> std::optional<int> {
    auto n = parse_number(text, 1, 16);
    if (!n) return std::nullopt;
    return static_cast<int>(*n);
  };
  const ValueForm form = opt.form.value_or(ValueForm::automatic);

  std::string misplaced;
  if (verb == "read") {
    c.action = Action::read;
    if (operands.size() != 2) return refuse("read takes ADDR FIELD");
    misplaced = only_options(true, true, true, false, false);
    if (opt.size) {
      auto n = parse_number(*opt.size, 0, 32767);
      if (!n) return refuse("--size must be a number from 0 to 32767, not " + *opt.size);
      c.buffer_size = static_cast<int>(*n);
    }
    c.fields = {{operands[1], form}};
  } else if (verb == "write") {
    c.action = Action::write;
    if (operands.size() != 3) return refuse("write takes ADDR FIELD VALUE");
    if (opt.form && *opt.form != ValueForm::hex) return refuse("write takes its VALUE as text or, with --hex, as hex");
    misplaced = only_options(true, true, false, false, false);
    c.fields = {{operands[1], form}};
    if (opt.form) {
      auto bytes = vekx_common::parse_hex_bytes(operands[2]);
      if (!bytes) return refuse("VALUE is not hex bytes: " + operands[2]);
      c.value = *bytes;
    } else {
      c.value.assign(operands[2].begin(), operands[2].end());
    }
    if (c.value.size() > 32767) return refuse("VALUE is longer than 32767 bytes");
  } else if (verb == "display") {
    c.action = Action::display;
    if (operands.size() != 3) return refuse("display takes ADDR NODE TEXT");
    misplaced = only_options(false, false, false, false, false);
    auto node = node_from(operands[1]);
    if (!node) return refuse("NODE must be a number from 1 to 16, not " + operands[1]);
    c.node = *node;
    if (operands[2].size() > display_text_length) return refuse("TEXT is longer than 16 characters");
    c.display_text = operands[2];
    c.display_text.resize(display_text_length, ' ');
  } else if (verb == "reset-display") {
    c.action = Action::reset_display;
    if (operands.size() != 2) return refuse("reset-display takes ADDR NODE");
    misplaced = only_options(false, false, false, false, false);
    auto node = node_from(operands[1]);
    if (!node) return refuse("NODE must be a number from 1 to 16, not " + operands[1]);
    c.node = *node;
  } else if (verb == "key") {
    c.action = Action::key;
    if (operands.size() != 4) return refuse("key takes ADDR NODE KIND CODE");
    misplaced = only_options(false, false, false, false, false);
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
    misplaced = only_options(false, true, false, true, true);
    if (opt.interval) {
      auto n = parse_number(*opt.interval, 1, longest_interval_ms);
      if (!n)
        return refuse("--interval must be a number of ms from 1 to " + std::to_string(longest_interval_ms) + ", not " +
                      *opt.interval);
      c.interval_ms = static_cast<int>(*n);
    }
    for (auto it = operands.begin() + 1; it != operands.end(); ++it) {
      // FIELD:FORM; a field's own name never holds a ':' after its node part.
      const std::size_t colon = it->rfind(':');
      const auto field_form =
          colon != std::string::npos && colon > 3 ? value_form_named(it->substr(colon + 1)) : std::nullopt;
      if (colon != std::string::npos && colon > 3 && !field_form)
        return refuse("FORM must be text, dec or hex, not " + it->substr(colon + 1));
      c.fields.push_back({field_form ? it->substr(0, colon) : *it, field_form.value_or(form)});
    }
    c.csv = opt.csv;
  } else {
    return refuse("unknown command " + verb);
  }
  if (!misplaced.empty()) return refuse(misplaced);
  c.address_list = operands[0];
  c.formatted = opt.formatted;
  return {c, ""};
}

}  // namespace vekx_tool

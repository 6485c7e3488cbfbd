#include "command_line.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "code_page.h"
#include "hex_bytes.h"
#include "refusal_text.h"
#include "vekx_wire.h"

namespace vekx_tool {

const char usage_text[] = R"(usage: vekx read ADDR FIELD [--formatted] [--text|--dec|--hex] [--size N] [-q]
       vekx write ADDR FIELD VALUE [--hex] [--formatted] [-q]
       vekx display ADDR NODE TEXT [-q]
       vekx reset-display ADDR NODE [-q]
       vekx key ADDR NODE KIND CODE [-q]
       vekx watch ADDR FIELD[:FORM]... [--interval MS] [--text|--dec|--hex] [--csv]
       vekx --help | --version
)";

const char help_text[] = R"(  ADDR   the terminals' IPv4 addresses, comma-separated; the i-th serves node i
  FIELD  a field name such as /t1/wt101 (its node character picks the node)
  VALUE  text, sent in Windows-1252, or with --hex bytes such as "02" or "0a ff"
  NODE   1..16;  TEXT up to 16 characters, padded with spaces
  KIND   1 or 2;  CODE 0..255 (decimal, 0xNN) or one non-digit character
  FORM   text, dec or hex: how watch shows that one field
  --formatted  formatted read or write
  --text  values as text   --dec  bytes as decimal numbers   --hex  bytes in hex
          (by default a one-byte value shows as its number and character: 54 '6')
  --size N     read buffer size 0..32767 (default 600)
  --interval MS  watch poll period 1..600000 ms (default 300)
  --csv        watch writes CSV lines: time,field,value,result
  -q, --quiet  no result line for a success: standard output holds only the
               values; failures are still reported
  --           ends the options: a VALUE or TEXT may start with --
  An option's value follows it or comes after '=': --size=600, --interval=50.
Values go to standard output, each library result to standard error as its
number and meaning. Texts cross in Windows-1252, the terminal's code page.
Display and keystroke requests are one-way datagrams that no reply confirms.
Exit status: 0 result 0; 1 no usable answer; 2 bad command line (nothing
sent); 3 terminal status other than 0; 4 refused by the library; 5 sockets
error. Ports: VEKX_TERMINAL_PORT, VEKX_LOCAL_PORT (default 1701).
)";

namespace {

using vekx_common::number_in_range;

constexpr unsigned verb_bit(Action action) { return 1u << static_cast<unsigned>(action); }
constexpr unsigned read_only = verb_bit(Action::read);
constexpr unsigned read_and_watch = verb_bit(Action::read) | verb_bit(Action::watch);
constexpr unsigned all_but_watch = verb_bit(Action::read) | verb_bit(Action::write) | verb_bit(Action::display) |
                                   verb_bit(Action::reset_display) | verb_bit(Action::key);

// The options, each with the commands it applies to. --text, --dec and
// --hex are the value forms; only --hex applies to write, where it means
// that VALUE is hex bytes.
struct OptionRule {
  std::string_view name;
  bool takes_value;
  unsigned applies_to;
};
constexpr std::array option_rules{
    OptionRule{"--formatted", false, verb_bit(Action::read) | verb_bit(Action::write)},
    OptionRule{"--text", false, read_and_watch},
    OptionRule{"--dec", false, read_and_watch},
    OptionRule{"--hex", false, read_and_watch | verb_bit(Action::write)},
    OptionRule{"--size", true, read_only},
    OptionRule{"--interval", true, verb_bit(Action::watch)},
    OptionRule{"--csv", false, verb_bit(Action::watch)},
    OptionRule{"--quiet", false, all_but_watch},
};
// -q is --quiet.
constexpr std::string_view quiet_short = "-q";

// The arguments after the command word: options by name (with their
// values) and operands in order.
struct Arguments {
  std::vector<std::pair<std::string_view, std::string>> options;
  std::vector<std::string> operands;

  bool has(std::string_view name) const {
    return std::any_of(options.begin(), options.end(), [&](const auto &o) { return o.first == name; });
  }
  const std::string *value(std::string_view name) const {
    for (const auto &o : options)
      if (o.first == name) return &o.second;
    return nullptr;
  }
};

// Which of two values was meant, the line does not say.
std::string given_twice(const std::string &option, const std::string &first, const std::string &second) {
  return option + " is given twice (" + first + " and " + second + "); give it once";
}

// Options may stand anywhere after the command word; "--" ends them so that
// a VALUE or TEXT may itself start with "--".
std::string split_arguments(const std::vector<std::string> &args, Arguments &out) {
  std::array<std::string_view, option_rules.size() + 1> names{};
  for (std::size_t i = 0; i < option_rules.size(); ++i) names[i] = option_rules[i].name;
  names.back() = "--";
  bool options_ended = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string &a = args[i];
    if (!options_ended && a == quiet_short) {
      out.options.emplace_back("--quiet", std::string());
      continue;
    }
    if (options_ended || a.size() < 2 || a.compare(0, 2, "--") != 0) {
      out.operands.push_back(a);
      continue;
    }
    if (a == "--") {
      options_ended = true;
      continue;
    }
    // --size=600 as well as --size 600.
    const std::size_t equals = a.find('=');
    const std::string name = a.substr(0, equals);
    const auto rule = std::find_if(option_rules.begin(), option_rules.end(), [&](auto &r) { return r.name == name; });
    if (rule == option_rules.end()) return vekx_common::unknown_word("option", name, names);
    if (!rule->takes_value && equals != std::string::npos) return vekx_common::unwanted_value(name, a);
    if (rule->takes_value && equals == std::string::npos && i + 1 >= args.size()) return a + " needs a value";
    std::string value = equals != std::string::npos ? a.substr(equals + 1) : rule->takes_value ? args[++i] : "";
    if (const std::string *first = rule->takes_value ? out.value(rule->name) : nullptr)
      return given_twice(name, *first, value);
    out.options.emplace_back(rule->name, std::move(value));
  }
  return {};
}

// The value form the options choose, if they choose one.
std::string value_form(const Arguments &a, std::optional<ValueForm> &form) {
  for (const auto &[name, value] : a.options) {
    const std::optional<ValueForm> named = value_form_named(std::string(name.substr(2)));
    if (!named) continue;
    if (form && *form != *named) return "choose one of --text, --dec and --hex";
    form = named;
  }
  return {};
}

// A node number, 1 to 16.
std::string node_operand(const std::string &text, Command &c) {
  std::string why;
  if (const auto n = number_in_range("NODE", text, 1, vekx::node_count, why)) c.node = static_cast<int>(*n);
  return why;
}

// Text for the terminal: UTF-8 as typed, converted to Windows-1252.
std::string terminal_text(const char *what, const std::string &text, std::string &bytes, const char *instead) {
  const vekx_common::Cp1252Text converted = vekx_common::cp1252_exactly(text);
  if (!converted.complete()) return vekx_common::cp1252_refusal(converted, what) + instead;
  bytes = converted.bytes;
  return {};
}

std::string read_operands(const Arguments &a, Command &c, ValueForm form) {
  if (const std::string *size = a.value("--size")) {
    std::string why;
    const auto n = number_in_range("--size", *size, 0, 32767, why);
    if (!n) return why;
    c.buffer_size = static_cast<int>(*n);
  }
  c.fields = {{a.operands[1], form}};
  return {};
}

std::string write_operands(const Arguments &a, Command &c, ValueForm form) {
  c.fields = {{a.operands[1], form}};
  const std::string &value = a.operands[2];
  if (a.has("--hex")) {
    auto bytes = vekx_common::parse_hex_bytes(value);
    if (!bytes) return "VALUE is not hex bytes: " + value;
    c.value = *bytes;
  } else {
    std::string bytes;
    if (std::string why = terminal_text("VALUE", value, bytes, " (give raw bytes with --hex)"); !why.empty())
      return why;
    c.value.assign(bytes.begin(), bytes.end());
  }
  if (c.value.size() > 32767) return "VALUE is longer than 32767 bytes";
  return {};
}

std::string display_operands(const Arguments &a, Command &c, ValueForm) {
  if (std::string why = node_operand(a.operands[1], c); !why.empty()) return why;
  if (std::string why = terminal_text("TEXT", a.operands[2], c.display_text, ""); !why.empty()) return why;
  if (c.display_text.size() > vekx::display::text_bytes)
    return "TEXT has " + std::to_string(c.display_text.size()) + " characters; the display takes " +
           std::to_string(vekx::display::text_bytes);
  c.display_text.resize(vekx::display::text_bytes, ' ');
  return {};
}

std::string reset_display_operands(const Arguments &a, Command &c, ValueForm) { return node_operand(a.operands[1], c); }

std::string key_operands(const Arguments &a, Command &c, ValueForm) {
  if (std::string why = node_operand(a.operands[1], c); !why.empty()) return why;
  std::string why;
  const auto kind = number_in_range("KIND", a.operands[2], 1, 2, why);
  if (!kind) return why;
  c.key_kind = static_cast<int>(*kind);
  // One character that is not a digit stands for its byte.
  const std::string &code = a.operands[3];
  if (!code.empty() && (code[0] < '0' || code[0] > '9')) {
    std::string byte;
    std::string refused = terminal_text("CODE", code, byte, "");
    const auto characters =
        std::count_if(code.begin(), code.end(), [](char b) { return (static_cast<unsigned char>(b) & 0xC0) != 0x80; });
    if (refused.empty() && byte.size() == 1) {
      c.key_code = static_cast<unsigned char>(byte[0]);
      return {};
    }
    if (!refused.empty() && characters == 1) return refused;
  }
  const auto n = number_in_range("CODE", code, 0, 255, why);
  if (!n) return why + " or one character";
  c.key_code = static_cast<int>(*n);
  return {};
}

std::string watch_operands(const Arguments &a, Command &c, ValueForm form) {
  if (const std::string *interval = a.value("--interval")) {
    std::string why;
    const auto n = number_in_range("--interval", *interval, 1, longest_interval_ms, why);
    if (!n) return why + " ms";
    c.interval_ms = static_cast<int>(*n);
  }
  for (auto it = a.operands.begin() + 1; it != a.operands.end(); ++it) {
    // FIELD:FORM; a field's own name never holds a ':' after its node part.
    const std::size_t colon = it->rfind(':');
    const bool has_form = colon != std::string::npos && colon > 3;
    const auto field_form = has_form ? value_form_named(it->substr(colon + 1)) : std::nullopt;
    if (has_form && !field_form) return "FORM must be text, dec or hex, not " + it->substr(colon + 1);
    c.fields.push_back({field_form ? it->substr(0, colon) : *it, field_form.value_or(form)});
  }
  c.csv = a.has("--csv");
  return {};
}

// The commands: the word, its operands as the usage shows them, how many
// (watch takes any number of fields), and what makes its request of them.
// Every command's first operand is ADDR.
struct Verb {
  std::string_view word;
  Action action;
  const char *operands;
  std::size_t least, most;
  std::string (*fill)(const Arguments &, Command &, ValueForm);
};
constexpr std::size_t any_number = 0xFFFF;
constexpr std::array verbs{
    Verb{"read", Action::read, "ADDR FIELD", 2, 2, read_operands},
    Verb{"write", Action::write, "ADDR FIELD VALUE", 3, 3, write_operands},
    Verb{"display", Action::display, "ADDR NODE TEXT", 3, 3, display_operands},
    Verb{"reset-display", Action::reset_display, "ADDR NODE", 2, 2, reset_display_operands},
    Verb{"key", Action::key, "ADDR NODE KIND CODE", 4, 4, key_operands},
    Verb{"watch", Action::watch, "ADDR FIELD...", 2, any_number, watch_operands},
};

ParseResult refuse(const std::string &why) { return {std::nullopt, why}; }

}  // namespace

std::int32_t address_count(const std::string &address_list) {
  return 1 + static_cast<std::int32_t>(std::count(address_list.begin(), address_list.end(), ','));
}

ParseResult parse_command_line(const std::vector<std::string> &args) {
  if (args.empty()) return refuse("no command given");
  const std::string &word = args[0];
  Command c;
  if (word == "--help" || word == "-h" || word == "help" || word == "--version") {
    c.action = word == "--version" ? Action::version : Action::help;
    return {c, ""};
  }

  const auto verb = std::find_if(verbs.begin(), verbs.end(), [&](const Verb &v) { return v.word == word; });
  if (verb == verbs.end()) {
    std::array<std::string_view, verbs.size()> words{};
    std::transform(verbs.begin(), verbs.end(), words.begin(), [](const Verb &v) { return v.word; });
    return refuse(vekx_common::unknown_word("command", word, words));
  }
  // --help after the command word asks for the usage too.
  const auto options_end = std::find(args.begin() + 1, args.end(), "--");
  if (std::any_of(args.begin() + 1, options_end, [](const std::string &o) { return o == "--help" || o == "-h"; })) {
    c.action = Action::help;
    return {c, ""};
  }
  Arguments a;
  if (std::string why = split_arguments(args, a); !why.empty()) return refuse(why);
  for (const OptionRule &rule : option_rules)
    if (a.has(rule.name) && !(rule.applies_to & verb_bit(verb->action)))
      return refuse(std::string(rule.name) + " does not apply to " + word);
  if (a.operands.size() < verb->least || a.operands.size() > verb->most)
    return refuse(word + " takes " + verb->operands);
  std::optional<ValueForm> form;
  if (std::string why = value_form(a, form); !why.empty()) return refuse(why);

  c.action = verb->action;
  c.address_list = a.operands[0];
  c.formatted = a.has("--formatted");
  c.quiet = a.has("--quiet");
  if (std::string why = verb->fill(a, c, form.value_or(ValueForm::automatic)); !why.empty()) return refuse(why);
  // The library sends the first characters that fit the name slot; a
  // longer name would read or write another field.
  for (const FieldSpec &f : c.fields)
    if (f.name.size() > vekx::name_slot_size)
      return refuse("FIELD " + f.name + " is longer than " + std::to_string(vekx::name_slot_size) +
                    " characters; the terminal would get " + f.name.substr(0, vekx::name_slot_size));
  return {c, ""};
}

}  // namespace vekx_tool

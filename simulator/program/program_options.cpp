#include "program_options.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "control_commands.h"
#include "control_text.h"
#include "refusal_text.h"
#include "vekx_wire.h"

namespace vekxsim {

namespace {

using vekx_common::number_in_range;

// A number option: sets the target and returns "", or returns why not.
template <typename T>
std::string set_number(std::string_view option, const std::string &value, long lowest, long highest, T &target) {
  std::string why;
  if (const auto n = number_in_range(option, value, lowest, highest, why)) target = static_cast<T>(*n);
  return why;
}

// Whether this vekxsim has its web panel: a build without its HTTP server's
// library refuses --web and says so in --help.
constexpr bool web_panel_built = VEKX_WEB_PANEL;
constexpr const char *no_web_panel =
    "not in this vekxsim, which was built without the web panel; drive it\n"
    "with --control json or control commands on standard input instead";

// What --replay reads: pcapng captures too where the build reads them with
// libpcap (Linux); the Windows build reads pcap files itself.
constexpr const char *replay_help = VEKX_READS_PCAPNG
                                        ? "answer as the terminal in FILE did: a pcap or pcapng capture or a\n"
                                          "traffic log of --log; the KTRV model is unused, and standard input\n"
                                          "takes only status, summary and quit (with --control json)"
                                        : "answer as the terminal in FILE did: a pcap capture (not pcapng) or a\n"
                                          "traffic log of --log; the KTRV model is unused, and standard input\n"
                                          "takes only status, summary and quit (with --control json)";

struct OptionRow {
  std::string_view name;
  const char *value;  // as --help names it; nullptr for an option without one
  std::string help;   // its --help text; a '\n' continues it on the next line
  std::string (*apply)(ProgramOptions &o, const std::string &value);
};

// clang-format off
const std::array option_rows{
    OptionRow{"--listen", "ADDR", "IPv4 address to serve on (default 127.0.0.1)",
              [](ProgramOptions &o, const std::string &v) {
                o.terminal.listen_address = v;
                return is_listen_address(v) ? std::string()
                                            : "--listen " + v + ": must be an IPv4 address such as 127.0.0.1";
              }},
    OptionRow{"--port", "N", "UDP port to serve on (default 1701; 0 lets the system pick)",
              [](ProgramOptions &o, const std::string &v) { return set_number("--port", v, 0, 65535, o.terminal.port); }},
    OptionRow{"--node", "N", "node number 1..16 whose fields are served (default 1); with\n"
                             "--replay, the node of the capture to replay",
              [](ProgramOptions &o, const std::string &v) {
                std::string why = set_number("--node", v, 1, limits::highest_node, o.terminal.node);
                o.replay.choice.node = o.terminal.node;
                return why; }},
    OptionRow{"--weight", "W", "weight on the scale at start (default 0)",
              [](ProgramOptions &o, const std::string &v) {
                const auto w = control_text::decimal_number(v);
                if (!w) return "--weight " + v + ": must be " + control_text::decimal_form;
                o.terminal.weight = *w;
                const std::string why = control::unshown_weight(*w);
                return why.empty() ? why : "--weight " + v + ": " + why;
              }},
    OptionRow{"--delay", "MS", "time the command mailbox reads 255 before a command is taken (default 200)",
              [](ProgramOptions &o, const std::string &v) {
                long ms = 0;
                std::string why = set_number("--delay", v, 0, longest_pause_ms, ms);
                o.terminal.command_delay = std::chrono::milliseconds(ms);
                return why;
              }},
    OptionRow{"--no-power-up", nullptr, "do not post event 54 at start",
              [](ProgramOptions &o, const std::string &) { o.terminal.power_up = false; return std::string(); }},
    OptionRow{"--field", "NAME[=TEXT]", "create a field besides the KTRV program's own (repeatable)",
              [](ProgramOptions &o, const std::string &v) { o.terminal.extra_fields.push_back(v); return std::string(); }},
    OptionRow{"--lenient", nullptr, "a write creates a field the terminal does not have (by default it\n"
                                    "gets status 3, no such field)",
              [](ProgramOptions &o, const std::string &) { o.terminal.lenient = true; return std::string(); }},
    OptionRow{"--script", "FILE", "run the control commands of FILE (with \"sleep MS\" lines) after start",
              [](ProgramOptions &o, const std::string &v) { o.script = v; return std::string(); }},
    OptionRow{"--log", "FILE", "append the traffic log to FILE instead of writing it to standard\n"
                                  "output",
              [](ProgramOptions &o, const std::string &v) { o.log_file = v; return std::string(); }},
    OptionRow{"--quiet", nullptr, "no traffic log lines (notes of the KTRV model still appear)",
              [](ProgramOptions &o, const std::string &) { o.quiet = true; return std::string(); }},
    OptionRow{"--no-stdin", nullptr, "never read standard input",
              [](ProgramOptions &o, const std::string &) { o.read_stdin = false; return std::string(); }},
    OptionRow{"--control", "FORM", "how standard input speaks: text (default), or json for programs:\n"
                                   "one request object a line in, one answer object a line out",
              [](ProgramOptions &o, const std::string &v) {
                o.json = v == "json";
                return v == "json" || v == "text" ? std::string() : "--control " + v + ": must be text or json";
              }},
    OptionRow{"--replay", "FILE", replay_help,
              [](ProgramOptions &o, const std::string &v) { o.replay.file = v; return std::string(); }},
    OptionRow{"--terminal", "ADDR[:PORT]", "with --replay: the terminal to replay when FILE holds several\n"
                                           "(the side that answers requests, on any port)",
              [](ProgramOptions &o, const std::string &v) { o.replay.choice.terminal = v; return std::string(); }},
    OptionRow{"--session", "N", "with --replay: the session of a traffic log to replay (default: its\n"
                                "last; --summary lists them)",
              [](ProgramOptions &o, const std::string &v) {
                int n = 0;
                std::string why = set_number("--session", v, 1, 1000000, n);
                if (why.empty()) o.replay.choice.session = n;
                return why;
              }},
    OptionRow{"--speed", "X", "with --replay: replay time runs X times as fast, " + replay::speed_range_text() +
                              "\n(default 1)",
              [](ProgramOptions &o, const std::string &v) {
                const auto x = control_text::decimal_number(v);
                const bool ok = x && *x >= replay::slowest_speed && *x <= replay::fastest_speed;
                if (ok) o.replay.speed = *x;
                return ok ? std::string() : "--speed " + v + ": must be a decimal number from " + replay::speed_range_text();
              }},
    OptionRow{"--loop", nullptr, "with --replay: start over at the capture's end",
              [](ProgramOptions &o, const std::string &) { o.replay.loop = true; return std::string(); }},
    OptionRow{"--summary", nullptr, "with --replay: describe FILE instead of serving it",
              [](ProgramOptions &o, const std::string &) { o.replay.summary = true; return std::string(); }},
    OptionRow{"--web", "[ADDR:]PORT", web_panel_built ? "serve the web panel and its HTTP API on ADDR (default 127.0.0.1)\n"
                                                        "and PORT (0 lets the system pick); see vekxsim(1)"
                                                      : no_web_panel,
              [](ProgramOptions &o, const std::string &v) {
                if (!web_panel_built)
                  return std::string("--web: this vekxsim was built without the web panel; drive it with "
                                     "--control json or control commands on standard input instead");
                o.web.emplace();
                return web::parse_web_address(v, o.web->address, o.web->port);
              }},
    OptionRow{"--web-token", "FILE", "with --web: the API needs \"Authorization: Bearer TOKEN\" (the page asks\n"
                                     "for it), the token on FILE's first line; needed off loopback",
              [](ProgramOptions &o, const std::string &v) { o.web_token_file = v; return std::string(); }},
    OptionRow{"--help", nullptr, "this text",
              [](ProgramOptions &o, const std::string &) { o.help = true; return std::string(); }},
};
// clang-format on

const OptionRow *row_named(std::string_view name) {
  const auto row =
      std::find_if(option_rows.begin(), option_rows.end(), [&](const OptionRow &r) { return r.name == name; });
  return row == option_rows.end() ? nullptr : &*row;
}

}  // namespace

ProgramOptions::ProgramOptions() { terminal.port = vekx::default_port; }

ParsedOptions parse_program_options(const std::vector<std::string> &args) {
  ProgramOptions o;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--") {
      if (i + 1 < args.size()) return {std::nullopt, "vekxsim takes options only, not " + args[i + 1]};
      break;
    }
    // --port=1701 as well as --port 1701.
    const std::size_t equals = args[i].rfind("--", 0) == 0 ? args[i].find('=') : std::string::npos;
    const std::string name = args[i].substr(0, equals);
    const OptionRow *row = row_named(name == "-h" ? "--help" : name);
    if (row == nullptr) {
      std::array<std::string_view, option_rows.size()> names{};
      std::transform(option_rows.begin(), option_rows.end(), names.begin(), [](const OptionRow &r) { return r.name; });
      return {std::nullopt, vekx_common::unknown_word("option", name, names)};
    }
    if (row->value == nullptr && equals != std::string::npos)
      return {std::nullopt, vekx_common::unwanted_value(name, args[i])};
    if (row->value != nullptr && equals == std::string::npos && i + 1 >= args.size())
      return {std::nullopt, std::string(row->name) + " needs a value (" + row->value + ")"};
    const std::string value = equals != std::string::npos ? args[i].substr(equals + 1)
                              : row->value != nullptr     ? args[++i]
                                                          : std::string();
    if (std::string why = row->apply(o, value); !why.empty()) return {std::nullopt, why};
    if (o.help) break;
  }
  if (std::string problem = replay::misuse(o.replay); !problem.empty()) return {std::nullopt, problem};
  if (o.web_token_file && !o.web) return {std::nullopt, "--web-token protects the panel of --web; give --web too"};
  if (o.web && !o.web_token_file && !web::is_loopback(o.web->address))
    return {std::nullopt, "--web " + o.web->address +
                              " is reachable from other PCs: give --web-token FILE with a "
                              "token every request must carry, or serve on 127.0.0.1"};
  return {o, ""};
}

std::string usage_text() {
  constexpr std::size_t help_column = 22;
  std::string text = "usage: vekxsim [options]\n";
  for (const OptionRow &row : option_rows) {
    const std::string left = "  " + std::string(row.name) + (row.value != nullptr ? std::string(" ") + row.value : "");
    text += control_text::help_row(left, row.help, help_column);
  }
  return text +
         "An option's value follows it as the next argument or after '=' (--port=0).\n"
         "Control commands are read from standard input line by line while it runs in\n"
         "the foreground (type \"help\"); end of input does not stop it (but with\n"
         "--control json); \"quit\", Ctrl-C or SIGTERM do.\n";
}

}  // namespace vekxsim

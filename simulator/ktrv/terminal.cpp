#include "terminal.h"

#include <cstdio>
#include <sstream>

#include "code_page.h"
#include "control_text.h"
#include "hex_bytes.h"
#include "ktrv_fields.h"
#include "traffic_line.h"

namespace vekxsim {

using namespace control_text;
using Bytes = std::vector<std::uint8_t>;
namespace field = vekx_common::ktrv::field;

namespace {

std::string error(const std::string &what) { return "error: " + what; }

std::string weight_string(double w) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", w);
  return text;
}

std::string field_name_of(const TrafficRecord &r) {
  // A request names the field as its target, a reply as its source.
  const std::size_t slot = r.inbound ? vekx::offset::target_name : vekx::offset::source_name;
  std::string name;
  for (std::size_t i = slot; i < slot + vekx::name_slot_size && i < r.bytes.size() && r.bytes[i] != 0; ++i)
    name.push_back(static_cast<char>(r.bytes[i]));
  return name;
}

}  // namespace

// One row of the control language: the command word, its arguments as the
// help shows them, the help line, and what it does with the rest of the line.
struct Terminal::Command {
  const char *word;
  const char *arguments;
  const char *help;  // nullptr: another spelling of the row above, not listed
  std::string (*run)(Terminal &t, const std::string &args);
};

const std::vector<Terminal::Command> &Terminal::commands() {
  static const std::vector<Command> table = {
      {"help", "", "this list", [](Terminal &, const std::string &) { return help_text(); }},
      {"?", "", nullptr, [](Terminal &, const std::string &) { return help_text(); }},
      {"status", "", "weight, mailboxes, queued events, faults in force",
       [](Terminal &t, const std::string &) {
         std::ostringstream out;
         const auto queued = t.model_->queued_events();
         out << "port " << t.port() << ", node " << t.options_.node << ", weight "
             << weight_string(t.model_->target_weight()) << ", event mailbox " << int(t.model_->event_in_mailbox())
             << ", queued events " << queued.size() << ", command delay " << t.model_->command_delay().count() << " ms";
         if (auto p = t.model_->pending_command()) out << ", command " << int(*p) << " pending";
         out << ", faults: " << t.service_->faults().summary();
         return out.str();
       }},
      {"fields", "", "every field with its value",
       [](Terminal &t, const std::string &) {
         t.model_->refresh_weight();
         std::string out;
         for (const auto &name : t.service_->fields().names())
           out += (out.empty() ? "" : "\n") + t.describe_field(name);
         return out;
       }},
      {"get", "NAME", "show a field: length, status, text and hex",
       [](Terminal &t, const std::string &args) {
         const Split arg = first_word(args);
         if (arg.word.empty()) return error("usage: get NAME");
         t.model_->refresh_weight();
         return t.describe_field(t.full_name(arg.word));
       }},
      {"set", "NAME TEXT",
       "field := TEXT (the rest of the line, blanks kept, in Windows-1252);\n"
       "creates the field",
       [](Terminal &t, const std::string &args) {
         const Split arg = first_word(args);
         if (arg.word.empty()) return error("usage: set NAME TEXT");
         const std::string bytes = vekx_common::cp1252_from_utf8(arg.rest);
         return t.set_value(arg.word, Bytes(bytes.begin(), bytes.end()));
       }},
      {"sethex", "NAME HEX", "field := bytes in hex (\"ff 00 1a\" or \"ff001a\"; empty allowed)",
       [](Terminal &t, const std::string &args) {
         const Split arg = first_word(args);
         const auto bytes = vekx_common::parse_hex_bytes(arg.rest);
         if (arg.word.empty() || !bytes) return error("usage: sethex NAME HEX (not hex bytes: " + arg.rest + ")");
         return t.set_value(arg.word, *bytes);
       }},
      {"setbyte", "NAME N", "field := the one byte N (0..255)",
       [](Terminal &t, const std::string &args) {
         const Split arg = first_word(args);
         const auto n = whole_number(arg.rest, 0, 255);
         if (arg.word.empty() || !n) return error("usage: setbyte NAME N (not a byte 0..255: " + arg.rest + ")");
         return t.set_value(arg.word, {static_cast<std::uint8_t>(*n)});
       }},
      {"fieldstatus", "NAME N", "answer this field with status N (0: normal again)",
       [](Terminal &t, const std::string &args) {
         const Split arg = first_word(args);
         const auto n = whole_number(arg.rest, 0, 255);
         if (arg.word.empty() || !n) return error("usage: fieldstatus NAME 0..255");
         const std::string name = t.full_name(arg.word);
         if (!t.service_->fields().set_status(name, static_cast<std::uint8_t>(*n))) return error("no field " + name);
         return name + " answers with status " + std::to_string(*n);
       }},
      {"fieldsilent", "NAME on|off", "leave reads of this field unanswered (writes still apply)",
       [](Terminal &t, const std::string &args) {
         const Split arg = first_word(args);
         const auto on = on_off(arg.rest);
         if (arg.word.empty() || !on) return error("usage: fieldsilent NAME on|off");
         const std::string name = t.full_name(arg.word);
         if (!t.service_->fields().set_silent(name, *on)) return error("no field " + name);
         return "reads of " + name + (*on ? " go unanswered" : " are answered");
       }},
      {"event", "N", "post event N (1..255); queued while another waits for acknowledge",
       [](Terminal &t, const std::string &args) {
         const auto n = whole_number(args, 1, 255);
         if (!n) return error("usage: event 1..255");
         if (!t.model_->post_event(static_cast<std::uint8_t>(*n))) return error("event queue full");
         const bool posted = t.model_->event_in_mailbox() == *n && t.model_->queued_events().empty();
         return "event " + std::to_string(*n) + (posted ? " posted" : " queued");
       }},
      {"events", "", "the event in the mailbox and those queued behind it",
       [](Terminal &t, const std::string &) {
         std::string out = "mailbox " + std::to_string(t.model_->event_in_mailbox()) + ", queued:";
         const auto queued = t.model_->queued_events();
         if (queued.empty()) out += " none";
         for (auto code : queued) out += ' ' + std::to_string(code);
         return out;
       }},
      {"ack", "", "clear the event mailbox as the console's acknowledge does",
       [](Terminal &t, const std::string &) {
         t.model_->acknowledge_event();
         return "event mailbox cleared, now " + std::to_string(t.model_->event_in_mailbox());
       }},
      {"key", "TEXT TERMINATOR",
       "keyboard literal: event 51, Lit50 = TEXT, bx251 = 0, bx252 = the key\n"
       "(a code 0..255 or enter, f1..f12, left, right, up, down, insert,\n"
       "home, end, delete, pgup, pgdn)",
       [](Terminal &t, const std::string &args) {
         // The terminator is the last word; everything before it is the text.
         const std::string all = trim(args);
         const std::size_t cut = all.find_last_of(" \t");
         const std::string key_word = cut == std::string::npos ? all : all.substr(cut + 1);
         const std::string text = cut == std::string::npos ? std::string() : trim(all.substr(0, cut));
         const auto code = terminator_code(key_word);
         if (all.empty() || !code) return error("usage: key TEXT TERMINATOR (code 0..255 or a key name)");
         if (!t.model_->key_literal(text, *code)) return error("event queue full");
         const std::string name = terminator_name(*code);
         return "keyed \"" + text + "\" ended by " + std::to_string(*code) + (name.empty() ? "" : " (" + name + ")");
       }},
      {"serial", "TEXT", "serial port literal: event 51, Lit50 = TEXT, bx251 = 1",
       [](Terminal &t, const std::string &args) {
         if (!t.model_->serial_literal(args)) return error("event queue full");
         return "serial \"" + args + "\"";
       }},
      {"weight", "W", "the scale settles on W (shown as \"%8.2f\" in wt101 and wt501)",
       [](Terminal &t, const std::string &args) {
         const auto w = decimal_number(args);
         if (!w) return error("usage: weight W");
         t.model_->set_weight(*w);
         return "weight " + weight_string(*w);
       }},
      {"settle", "MS", "time the scale takes to settle on a new weight (default 1000)",
       [](Terminal &t, const std::string &args) {
         const auto ms = whole_number(args, 0, longest_pause_ms);
         if (!ms) return error("usage: settle MS (0.." + std::to_string(longest_pause_ms) + ")");
         t.model_->set_settle_time(std::chrono::milliseconds(*ms));
         return "settle " + std::to_string(*ms) + " ms";
       }},
      {"drift", "W", "random drift of at most W either way on each weight read (0: none)",
       [](Terminal &t, const std::string &args) {
         const auto w = decimal_number(args);
         if (!w) return error("usage: drift W");
         t.model_->set_drift(*w);
         return "drift " + weight_string(*w);
       }},
      {"select", "N", "weight selector vek15 := N (0 or 1 shows wt101, else wt501)",
       [](Terminal &t, const std::string &args) {
         const auto n = whole_number(args, 0, 255);
         if (!n) return error("usage: select 0..255");
         t.model_->set_weight_selector(static_cast<std::uint8_t>(*n));
         return std::string("weight selector ") + std::to_string(*n) + (*n <= 1 ? " (wt101)" : " (wt501)");
       }},
      {"input", "N 0|1", "input N (1..12 = In1..In12, or its field p_100..p_10f) off or on",
       [](Terminal &t, const std::string &args) {
         const Split arg = first_word(args);
         const auto on = on_off(arg.rest);
         int number = static_cast<int>(whole_number(arg.word, 1, 12).value_or(0));
         for (std::size_t i = 0; number == 0 && i < field::inputs.size(); ++i)
           if (t.full_name(arg.word) == t.full_name(std::string(field::own_name(field::inputs[i]))))
             number = static_cast<int>(i) + 1;
         if (number == 0 || !on) return error("usage: input 1..12|p_1xx 0|1");
         t.model_->set_input(number, *on);
         return "input " + std::to_string(number) + " (" + std::string(field::own_name(field::inputs[number - 1])) +
                ") " + (*on ? "on" : "off");
       }},
      {"inputs", "", "the twelve inputs",
       [](Terminal &t, const std::string &) {
         const auto states = t.model_->inputs();
         std::string out;
         for (std::size_t i = 0; i < states.size(); ++i)
           out += (i ? " " : "") + std::to_string(i + 1) + ":" + (states[i] ? "1" : "0");
         return out;
       }},
      {"lower", "TEXT", "lower display bd001 (50 characters; the console shows 8 to 24)",
       [](Terminal &t, const std::string &args) {
         t.model_->set_lower_display(args);
         return "lower display \"" + args.substr(0, field::lower_display_length) + "\"";
       }},
      {"display", "", "the KTRV display lines that commands 1 and 2 set",
       [](Terminal &t, const std::string &) {
         const auto lines = t.model_->display_lines();
         return "line 1 \"" + lines[0] + "\"\nline 2 \"" + lines[1] + "\"\nline 3 \"" + lines[2] + "\"";
       }},
      {"outputs", "", "the twelve outputs' forcing state (commands 14 and 15)",
       [](Terminal &t, const std::string &) {
         const auto outs = t.model_->outputs();
         std::string out;
         for (std::size_t i = 0; i < outs.size(); ++i)
           out += (i ? " " : "") + std::to_string(i + 1) + ":" + force_text(outs[i]);
         return out + "  (on/off: forced; -: not forced)";
       }},
      {"command", "N", "carry out command N at once, as if the console had posted it",
       [](Terminal &t, const std::string &args) {
         const auto n = whole_number(args, 0, 255);
         if (!n) return error("usage: command 0..255");
         t.model_->run_command(static_cast<std::uint8_t>(*n));
         return "command " + std::to_string(*n) + " carried out";
       }},
      {"delay", "MS", "how long the command mailbox reads 255 before a command is taken",
       [](Terminal &t, const std::string &args) {
         const auto ms = whole_number(args, 0, longest_pause_ms);
         if (!ms) return error("usage: delay MS (0.." + std::to_string(longest_pause_ms) + ")");
         t.model_->set_command_delay(std::chrono::milliseconds(*ms));
         return "delay " + std::to_string(*ms) + " ms";
       }},
      {"silent", "on|off", "stop answering / answer again",
       [](Terminal &t, const std::string &args) {
         const auto on = on_off(args);
         if (!on) return error("usage: silent on|off");
         t.service_->faults().set_silent(*on);
         return std::string(*on ? "silent: nothing is answered" : "answering again");
       }},
      {"drop", "N", "drop the next N replies",
       [](Terminal &t, const std::string &args) {
         const auto n = whole_number(args, 0, 1000000);
         if (!n) return error("usage: drop N");
         t.service_->faults().drop_next_replies(static_cast<int>(*n));
         return "dropping the next " + std::to_string(*n) + " replies";
       }},
      {"replydelay", "MS", "answer every request MS late (0: at once)",
       [](Terminal &t, const std::string &args) {
         const auto ms = whole_number(args, 0, longest_pause_ms);
         if (!ms) return error("usage: replydelay MS (0.." + std::to_string(longest_pause_ms) + ")");
         t.service_->faults().set_reply_delay(std::chrono::milliseconds(*ms));
         return "replydelay " + std::to_string(*ms) + " ms";
       }},
      {"decoy", "type|sequence|name", "send one wrong reply just before the next real one",
       [](Terminal &t, const std::string &args) {
         const std::string kind = trim(args);
         if (kind == "type")
           t.service_->faults().add_decoy(Decoy::wrong_type);
         else if (kind == "sequence")
           t.service_->faults().add_decoy(Decoy::wrong_sequence);
         else if (kind == "name")
           t.service_->faults().add_decoy(Decoy::wrong_name);
         else
           return error("usage: decoy type|sequence|name");
         return "a wrong-" + kind + " reply goes before the next reply";
       }},
      {"traffic", "[N] [FIELD-PATTERN]",
       "the last N datagrams in and out, decoded (default 20); with a pattern,\n"
       "only those whose field name contains it",
       [](Terminal &t, const std::string &args) {
         Split arg = first_word(args);
         long n = 20;
         if (const auto count = whole_number(arg.word, 1, 100000)) {
           n = *count;
           arg = first_word(arg.rest);
         }
         const std::string pattern = arg.word;
         if (!arg.rest.empty()) return error("usage: traffic [N] [FIELD-PATTERN]");
         std::vector<TrafficRecord> shown;
         for (auto &r : t.service_->traffic().all())
           if (pattern.empty() || field_name_of(r).find(pattern) != std::string::npos) shown.push_back(std::move(r));
         const std::size_t from = shown.size() > static_cast<std::size_t>(n) ? shown.size() - n : 0;
         std::string out;
         for (std::size_t i = from; i < shown.size(); ++i) {
           const auto age = std::chrono::steady_clock::now() - shown[i].when;
           const auto wall =
               std::chrono::system_clock::now() - std::chrono::duration_cast<std::chrono::system_clock::duration>(age);
           out += (out.empty() ? "" : "\n") + traffic_line(shown[i], wall);
         }
         return out.empty() ? std::string("no traffic") : out;
       }},
      {"log", "on|off", "traffic log lines on or off",
       [](Terminal &t, const std::string &args) {
         const auto on = on_off(args);
         if (!on) return error("usage: log on|off");
         t.traffic_log_on_ = *on;
         return std::string(*on ? "traffic log on" : "traffic log off");
       }},
      {"sleep", "MS", "pause (for scripts); quitting ends it",
       [](Terminal &t, const std::string &args) {
         const auto ms = whole_number(args, 0, longest_pause_ms);
         if (!ms) return error("usage: sleep MS (0.." + std::to_string(longest_pause_ms) + ")");
         return t.pause(*ms);
       }},
      {"quit", "", "end the simulator",
       [](Terminal &t, const std::string &) {
         t.interrupt();
         return std::string("bye");
       }},
      {"exit", "", nullptr,
       [](Terminal &t, const std::string &) {
         t.interrupt();
         return std::string("bye");
       }},
  };
  return table;
}

std::string Terminal::help_text() {
  std::string out = "Commands (one per line; NAME is a full field name such as /t1/bx297 or just bx297):\n";
  constexpr std::size_t column = 28;
  for (const Command &c : commands()) {
    if (c.help == nullptr) continue;
    std::string left = std::string("  ") + c.word + (*c.arguments ? " " : "") + c.arguments;
    left.resize(std::max(left.size() + 1, column), ' ');
    std::string help = c.help;
    for (std::size_t at; (at = help.find('\n')) != std::string::npos;) {
      out += left + help.substr(0, at) + '\n';
      left = std::string(column, ' ');
      help.erase(0, at + 1);
    }
    out += left + help + '\n';
  }
  return out + "Replies starting with \"error: \" changed nothing.";
}

Terminal::Terminal(const TerminalOptions &options)
    : options_(options),
      service_(std::make_unique<SharedDataService>(options.listen_address, options.port, options.node)) {
  service_->fields().set_lenient(options.lenient);
  model_ = std::make_unique<KtrvModel>(
      *service_, KtrvOptions{options.node, options.weight, options.command_delay, options.power_up});
  for (const std::string &field : options.extra_fields) {
    const std::size_t equals = field.find('=');
    const std::string name = field.substr(0, equals);
    const std::string text = equals == std::string::npos ? std::string() : field.substr(equals + 1);
    if (name.empty()) throw std::invalid_argument("a field needs a name: \"" + field + "\"");
    try {
      service_->fields().set(full_name(name), Bytes(text.begin(), text.end()));
    } catch (const std::length_error &e) {
      throw std::invalid_argument(e.what());
    }
  }
  service_->set_log([this](const std::string &line) {
    if (!traffic_log_on_.load()) return;
    std::lock_guard lock(sink_mutex_);
    if (sink_) sink_(line);
  });
  model_->set_log([this](const std::string &line) {
    std::lock_guard lock(sink_mutex_);
    if (sink_) sink_("ktrv: " + line);
  });
  service_->start();
}

Terminal::~Terminal() {
  interrupt();
  // The model takes its hooks back from the running service; stopping the
  // service first merely spares it the traffic of its last moments.
  service_->stop();
  model_.reset();
  service_.reset();
}

SharedDataService &Terminal::service() { return *service_; }
KtrvModel &Terminal::model() { return *model_; }
std::uint16_t Terminal::port() const { return service_->port(); }

bool Terminal::quit_requested() const {
  std::lock_guard lock(quit_mutex_);
  return quit_;
}

void Terminal::interrupt() {
  {
    std::lock_guard lock(quit_mutex_);
    quit_ = true;
  }
  quit_changed_.notify_all();
}

std::string Terminal::pause(long ms) {
  std::unique_lock lock(quit_mutex_);
  quit_changed_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return quit_; });
  return {};
}

void Terminal::set_log(std::function<void(const std::string &line)> sink) {
  std::lock_guard lock(sink_mutex_);
  sink_ = std::move(sink);
}

std::string Terminal::full_name(const std::string &name) const {
  if (!name.empty() && name[0] == '/') return name;
  return model_->field_name(name);
}

std::string Terminal::describe_field(const std::string &name) const {
  const auto value = service_->fields().get(name);
  if (!value) return error("no field " + name);
  return FieldStore::key(name) + " len=" + std::to_string(value->size()) +
         " status=" + std::to_string(service_->fields().status(name)) + " text=\"" + printable_text(*value) +
         "\" hex=" + vekx_common::hex_text(*value);
}

std::string Terminal::set_value(const std::string &name, Bytes value) {
  const std::string full = full_name(name);
  try {
    service_->fields().set(full, std::move(value));
  } catch (const std::length_error &e) {
    return error(e.what());
  }
  return describe_field(full);
}

std::string Terminal::control(const std::string &line) {
  const Split split = first_word(line);
  if (split.word.empty() || split.word[0] == '#') return {};
  for (const Command &c : commands())
    if (split.word == c.word) return c.run(*this, split.rest);
  return error("unknown command \"" + split.word + "\" (try help)");
}

}  // namespace vekxsim

#include "terminal.h"

#include <cstdio>
#include <sstream>
#include <thread>

#include "control_text.h"
#include "ktrv_fields.h"
#include "traffic_line.h"

namespace vekxsim {

using namespace control_text;
using Bytes = std::vector<std::uint8_t>;

namespace {

std::string error(const std::string &what) { return "error: " + what; }

std::string weight_string(double w) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", w);
  return text;
}

// Longest pause a "sleep" line may ask for, so that a typing slip cannot
// hang a script for hours.
constexpr long longest_sleep_ms = 600000;

}  // namespace

Terminal::Terminal(const TerminalOptions &options)
    : options_(options),
      service_(std::make_unique<SharedDataService>(options.listen_address, options.port, options.node)) {
  model_ = std::make_unique<KtrvModel>(
      *service_, KtrvOptions{options.node, options.weight, options.command_delay, options.power_up});
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
  // The service's thread calls into the model, so it stops first.
  service_->stop();
  model_.reset();
  service_.reset();
}

SharedDataService &Terminal::service() { return *service_; }
KtrvModel &Terminal::model() { return *model_; }
std::uint16_t Terminal::port() const { return service_->port(); }
bool Terminal::quit_requested() const { return quit_.load(); }

void Terminal::set_log(std::function<void(const std::string &line)> sink) {
  std::lock_guard lock(sink_mutex_);
  sink_ = std::move(sink);
}

std::string Terminal::help_text() {
  return R"(Commands (one per line; NAME is a full field name such as /t1/bx297 or just bx297):
  help                      this list
  status                    weight, mailboxes, queued events, faults in force
  fields                    every field with its value
  get NAME                  show a field: length, status, text and hex
  set NAME TEXT             field := TEXT (the rest of the line, blanks kept)
  sethex NAME HEX           field := bytes in hex ("ff 00 1a" or "ff001a"; empty allowed)
  setbyte NAME N            field := the one byte N (0..255)
  fieldstatus NAME N        answer this field with status N (0: normal again)
  fieldsilent NAME on|off   leave reads of this field unanswered (writes still apply)
  event N                   post event N (1..255); queued while another waits for acknowledge
  events                    the event in the mailbox and those queued behind it
  ack                       clear the event mailbox as the console's acknowledge does
  key TEXT TERMINATOR       keyboard literal: event 51, Lit50 = TEXT, bx251 = 0, bx252 = the key
                            (a code 0..255 or enter, f1..f12, left, right, up, down, insert,
                            home, end, delete, pgup, pgdn)
  serial TEXT               serial port literal: event 51, Lit50 = TEXT, bx251 = 1
  weight W                  the scale settles on W (shown as "%8.2f" in wt101 and wt501)
  settle MS                 time the scale takes to settle on a new weight (default 1000)
  drift W                   random drift of at most W either way on each weight read (0: none)
  select N                  weight selector vek15 := N (0 or 1 shows wt101, else wt501)
  input N 0|1               input N (1..12 = In1..In12, or its field p_100..p_10f) off or on
  inputs                    the twelve inputs
  lower TEXT                lower display bd001 (50 characters; the console shows 8 to 24)
  display                   the KTRV display lines that commands 1 and 2 set
  outputs                   the twelve outputs' forcing state (commands 14 and 15)
  command N                 carry out command N at once, as if the console had posted it
  delay MS                  how long the command mailbox reads 255 before a command is taken
  silent on|off             stop answering / answer again
  drop N                    drop the next N replies
  replydelay MS             answer every request MS late (0: at once)
  decoy type|sequence|name  send one wrong reply just before the next real one
  traffic [N]               the last N datagrams in and out, decoded (default 20)
  log on|off                traffic log lines on or off
  sleep MS                  pause (for scripts)
  quit                      end the simulator
Replies starting with "error: " changed nothing.)";
}

std::string Terminal::full_name(const std::string &name) const {
  if (!name.empty() && name[0] == '/') return name;
  return model_->field_name(name);
}

std::string Terminal::describe_field(const std::string &name) const {
  const auto value = service_->field(name);
  if (!value) return error("no field " + name);
  return name + " len=" + std::to_string(value->size()) + " status=" + std::to_string(service_->field_status(name)) +
         " text=\"" + printable_text(*value) + "\" hex=" + hex_text(*value);
}

std::string Terminal::control(const std::string &line) {
  const Split split = first_word(line);
  if (split.word.empty() || split.word[0] == '#') return {};
  return execute(split.word, split.rest);
}

std::string Terminal::execute(const std::string &command, const std::string &args) {
  const Split arg = first_word(args);
  const std::string rest_after_first = arg.rest;

  if (command == "help" || command == "?") return help_text();
  if (command == "quit" || command == "exit") {
    quit_ = true;
    return "bye";
  }
  if (command == "status") {
    std::ostringstream out;
    const auto queued = model_->queued_events();
    out << "port " << port() << ", node " << options_.node << ", weight " << weight_string(model_->target_weight())
        << ", event mailbox " << int(model_->event_in_mailbox()) << ", queued events " << queued.size()
        << ", command delay " << model_->command_delay().count() << " ms";
    if (auto p = model_->pending_command()) out << ", command " << int(*p) << " pending";
    return out.str();
  }
  if (command == "fields" || command == "get") model_->refresh_weight();
  if (command == "fields") {
    std::string out;
    for (const auto &name : service_->field_names()) {
      if (!out.empty()) out += '\n';
      out += describe_field(name);
    }
    return out;
  }
  if (command == "get") {
    if (arg.word.empty()) return error("usage: get NAME");
    return describe_field(full_name(arg.word));
  }
  if (command == "set" || command == "sethex" || command == "setbyte") {
    if (arg.word.empty()) return error("usage: " + command + " NAME VALUE");
    const std::string name = full_name(arg.word);
    Bytes value;
    if (command == "set") {
      value.assign(rest_after_first.begin(), rest_after_first.end());
    } else if (command == "sethex") {
      auto bytes = hex_bytes(rest_after_first);
      if (!bytes) return error("not hex bytes: " + rest_after_first);
      value = *bytes;
    } else {
      auto n = whole_number(rest_after_first, 0, 255);
      if (!n) return error("not a byte 0..255: " + rest_after_first);
      value = {static_cast<std::uint8_t>(*n)};
    }
    try {
      service_->set_field(name, value);
    } catch (const std::length_error &e) {
      return error(e.what());
    }
    return describe_field(name);
  }
  if (command == "fieldstatus") {
    auto n = whole_number(rest_after_first, 0, 255);
    if (arg.word.empty() || !n) return error("usage: fieldstatus NAME 0..255");
    service_->set_field_status(full_name(arg.word), static_cast<std::uint8_t>(*n));
    return full_name(arg.word) + " answers with status " + std::to_string(*n);
  }
  if (command == "fieldsilent") {
    auto on = on_off(rest_after_first);
    if (arg.word.empty() || !on) return error("usage: fieldsilent NAME on|off");
    service_->set_field_silent(full_name(arg.word), *on);
    return "reads of " + full_name(arg.word) + (*on ? " go unanswered" : " are answered");
  }
  if (command == "event") {
    auto n = whole_number(args, 1, 255);
    if (!n) return error("usage: event 1..255");
    if (!model_->post_event(static_cast<std::uint8_t>(*n))) return error("event queue full");
    return "event " + std::to_string(*n) +
           (model_->event_in_mailbox() == *n && model_->queued_events().empty() ? " posted" : " queued");
  }
  if (command == "events") {
    std::string out = "mailbox " + std::to_string(model_->event_in_mailbox()) + ", queued:";
    const auto queued = model_->queued_events();
    if (queued.empty()) out += " none";
    for (auto code : queued) {
      out += ' ';
      out += std::to_string(code);
    }
    return out;
  }
  if (command == "ack") {
    model_->acknowledge_event();
    return "event mailbox cleared, now " + std::to_string(model_->event_in_mailbox());
  }
  if (command == "key") {
    // The terminator is the last word; everything before it is the text.
    const std::string all = trim(args);
    const std::size_t cut = all.find_last_of(" \t");
    const std::string key_word = cut == std::string::npos ? all : all.substr(cut + 1);
    const std::string text = cut == std::string::npos ? std::string() : trim(all.substr(0, cut));
    auto code = terminator_code(key_word);
    if (all.empty() || !code) return error("usage: key TEXT TERMINATOR (code 0..255 or a key name)");
    if (!model_->key_literal(text, *code)) return error("event queue full");
    const std::string name = terminator_name(*code);
    return "keyed \"" + text + "\" ended by " + std::to_string(*code) + (name.empty() ? "" : " (" + name + ")");
  }
  if (command == "serial") {
    if (!model_->serial_literal(args)) return error("event queue full");
    return "serial \"" + args + "\"";
  }
  if (command == "weight") {
    auto w = decimal_number(args);
    if (!w) return error("usage: weight W");
    model_->set_weight(*w);
    return "weight " + weight_string(*w);
  }
  if (command == "settle" || command == "delay" || command == "replydelay" || command == "sleep") {
    auto ms = whole_number(args, 0, longest_sleep_ms);
    if (!ms) return error("usage: " + command + " MS (0.." + std::to_string(longest_sleep_ms) + ")");
    const std::chrono::milliseconds d(*ms);
    if (command == "settle") model_->set_settle_time(d);
    if (command == "delay") model_->set_command_delay(d);
    if (command == "replydelay") service_->set_reply_delay(d);
    if (command == "sleep") std::this_thread::sleep_for(d);
    return command + " " + std::to_string(*ms) + " ms";
  }
  if (command == "drift") {
    auto w = decimal_number(args);
    if (!w) return error("usage: drift W");
    model_->set_drift(*w);
    return "drift " + weight_string(*w);
  }
  if (command == "select") {
    auto n = whole_number(args, 0, 255);
    if (!n) return error("usage: select 0..255");
    service_->set_field_byte(model_->field_name(ktrv::weight_selector), static_cast<std::uint8_t>(*n));
    return std::string("weight selector ") + std::to_string(*n) + (*n <= 1 ? " (wt101)" : " (wt501)");
  }
  if (command == "input") {
    auto on = on_off(rest_after_first);
    int number = static_cast<int>(whole_number(arg.word, 1, 12).value_or(0));
    for (std::size_t i = 0; number == 0 && i < ktrv::input_fields.size(); ++i)
      if (arg.word == ktrv::input_fields[i] || full_name(arg.word) == model_->field_name(ktrv::input_fields[i]))
        number = static_cast<int>(i) + 1;
    if (number == 0 || !on) return error("usage: input 1..12|p_1xx 0|1");
    model_->set_input(number, *on);
    return "input " + std::to_string(number) + " (" + std::string(ktrv::input_fields[number - 1]) + ") " +
           (*on ? "on" : "off");
  }
  if (command == "inputs") {
    const auto states = model_->inputs();
    std::string out;
    for (std::size_t i = 0; i < states.size(); ++i)
      out += (i ? " " : "") + std::to_string(i + 1) + ":" + (states[i] ? "1" : "0");
    return out;
  }
  if (command == "lower") {
    model_->set_lower_display(args);
    return "lower display \"" + args.substr(0, ktrv::lower_display_bytes) + "\"";
  }
  if (command == "display") {
    const auto lines = model_->display_lines();
    return "line 1 \"" + lines[0] + "\"\nline 2 \"" + lines[1] + "\"\nline 3 \"" + lines[2] + "\"";
  }
  if (command == "outputs") {
    const auto outs = model_->outputs();
    std::string out;
    for (std::size_t i = 0; i < outs.size(); ++i)
      out += (i ? " " : "") + std::to_string(i + 1) + ":" + force_text(outs[i]);
    return out + "  (on/off: forced; -: not forced)";
  }
  if (command == "command") {
    auto n = whole_number(args, 0, 255);
    if (!n) return error("usage: command 0..255");
    model_->run_command(static_cast<std::uint8_t>(*n));
    return "command " + std::to_string(*n) + " carried out";
  }
  if (command == "silent") {
    auto on = on_off(args);
    if (!on) return error("usage: silent on|off");
    service_->set_silent(*on);
    return *on ? "silent: nothing is answered" : "answering again";
  }
  if (command == "drop") {
    auto n = whole_number(args, 0, 1000000);
    if (!n) return error("usage: drop N");
    service_->drop_next_replies(static_cast<int>(*n));
    return "dropping the next " + std::to_string(*n) + " replies";
  }
  if (command == "decoy") {
    const std::string kind = trim(args);
    if (kind == "type")
      service_->send_decoy_before_next_reply(Decoy::wrong_type);
    else if (kind == "sequence")
      service_->send_decoy_before_next_reply(Decoy::wrong_sequence);
    else if (kind == "name")
      service_->send_decoy_before_next_reply(Decoy::wrong_name);
    else
      return error("usage: decoy type|sequence|name");
    return "a wrong-" + kind + " reply goes before the next reply";
  }
  if (command == "traffic") {
    const long n = args.empty() ? 20 : whole_number(args, 1, 100000).value_or(-1);
    if (n < 0) return error("usage: traffic [N]");
    const auto records = service_->traffic();
    const std::size_t from = records.size() > static_cast<std::size_t>(n) ? records.size() - n : 0;
    std::string out;
    for (std::size_t i = from; i < records.size(); ++i) {
      const auto wall =
          std::chrono::system_clock::now() - std::chrono::duration_cast<std::chrono::system_clock::duration>(
                                                 std::chrono::steady_clock::now() - records[i].when);
      out += (out.empty() ? "" : "\n") + traffic_line(records[i], wall);
    }
    return out.empty() ? "no traffic" : out;
  }
  if (command == "log") {
    auto on = on_off(args);
    if (!on) return error("usage: log on|off");
    traffic_log_on_ = *on;
    return *on ? "traffic log on" : "traffic log off";
  }
  return error("unknown command \"" + command + "\" (try help)");
}

}  // namespace vekxsim

// Control commands about the simulator as a whole: the help list, its
// status, the recorded traffic, the traffic log, pauses, resetting and
// quitting.
#include <sstream>

#include "control_commands.h"
#include "control_language.h"
#include "control_text.h"
#include "traffic_line.h"
#include "vekx_wire.h"

namespace vekxsim::control {

using namespace control_text;

namespace {

// The field a datagram is about: a request names it as its target, a reply
// as its source.
std::string field_name_of(const TrafficRecord &r) {
  return vekx::get_name(r.bytes, r.inbound ? vekx::offset::target_name : vekx::offset::source_name);
}

ReplyItems traffic_record(const TrafficRecord &r, const std::string &line) {
  return {{"inbound", r.inbound},
          {"peer_port", r.peer_port},
          {"size", r.received_size ? r.received_size : r.bytes.size()},
          {"field", field_name_of(r)},
          {"bytes", r.bytes},
          {"line", line}};
}

}  // namespace

namespace {

ControlReply help(Terminal &, const Args &) { return control_help(); }

ControlReply status(Terminal &t, const Args &) {
  KtrvModel &model = t.model();
  const auto queued = model.queued_events();
  const auto pending = model.pending_command();
  const std::string faults = t.faults_in_force();
  std::ostringstream out;
  out << "port " << t.port() << ", node " << t.service().node() << ", weight " << weight_text(model.target_weight())
      << ", event mailbox " << int(model.event_in_mailbox()) << ", queued events " << queued.size()
      << ", command delay " << model.command_delay().count() << " ms";
  if (pending) out << ", command " << int(*pending) << " pending";
  out << ", faults: " << faults;
  ReplyItems data = {{"port", t.port()},
                     {"node", t.service().node()},
                     {"weight", model.target_weight()},
                     {"event_mailbox", model.event_in_mailbox()},
                     {"queued_events", number_list(queued)},
                     {"command_delay_ms", model.command_delay().count()},
                     {"faults", faults}};
  if (pending) data.emplace_back("pending_command", *pending);
  return ControlReply::done(out.str(), std::move(data));
}

ControlReply traffic(Terminal &t, const Args &args) {
  // A count first, if any, then the pattern, if any.
  const auto count = args.empty() ? std::nullopt : whole_number(args[0], 1, 100000);
  const long n = count.value_or(20);
  const std::size_t pattern_at = count ? 1 : 0;
  if (args.size() > pattern_at + 1) return ControlReply::bad_usage("N 1..100000");
  const std::string pattern = args.size() > pattern_at ? args[pattern_at] : std::string();
  std::vector<TrafficRecord> shown;
  for (auto &r : t.service().traffic().all())
    if (pattern.empty() || field_name_of(r).find(pattern) != std::string::npos) shown.push_back(std::move(r));
  const std::size_t from = shown.size() > static_cast<std::size_t>(n) ? shown.size() - n : 0;
  std::string out;
  ReplyList records;
  for (std::size_t i = from; i < shown.size(); ++i) {
    // The record keeps the monotonic time; the line shows the time of day.
    const auto age = std::chrono::steady_clock::now() - shown[i].when;
    const auto wall =
        std::chrono::system_clock::now() - std::chrono::duration_cast<std::chrono::system_clock::duration>(age);
    const std::string line = traffic_line(shown[i], wall);
    out += (out.empty() ? "" : "\n") + line;
    records.emplace_back(traffic_record(shown[i], line));
  }
  return ControlReply::done(out.empty() ? "no traffic" : out, {{"traffic", std::move(records)}});
}

ControlReply log(Terminal &t, const Args &args) {
  const auto on = on_off(args[0]);
  if (!on) return ControlReply::bad_usage();
  t.set_traffic_log(*on);
  return ControlReply::done(*on ? "traffic log on" : "traffic log off", {{"log", *on}});
}

ControlReply sleep(Terminal &t, const Args &args) {
  const auto ms = whole_number(args[0], 0, longest_pause_ms);
  if (!ms) return bad_ms();
  t.sleep(std::chrono::milliseconds(*ms));
  return ControlReply::done({});
}

ControlReply reset(Terminal &t, const Args &) {
  t.reset();
  return ControlReply::done("terminal reset to its state at start");
}

ControlReply quit(Terminal &t, const Args &) {
  t.interrupt();
  return ControlReply::done("bye");
}

}  // namespace

Rows session_commands() {
  static constexpr ControlCommand rows[] = {
      {"help", "", "this list", help},
      {"?", "", nullptr, help},
      {"status", "", "weight, mailboxes, queued events, faults in force", status},
      {"traffic", "[N] [FIELD-PATTERN]",
       "the last N datagrams in and out, decoded (default 20); with a pattern,\n"
       "only those whose field name contains it",
       traffic},
      {"log", "on|off", "traffic log lines on or off", log},
      {"sleep", "MS", "pause (for scripts); quitting ends it", sleep},
      {"reset", "",
       "the terminal as at start with its options: fields, mailboxes, events,\n"
       "scale, inputs, outputs, displays; no faults; traffic record emptied",
       reset},
      {"quit", "", "end the simulator", quit},
      {"exit", "", nullptr, quit},
  };
  return rows;
}

}  // namespace vekxsim::control

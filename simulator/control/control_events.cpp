// Control commands on the event mailbox: post events, show those waiting,
// acknowledge as the console does, and literals keyed in on the terminal or
// received on its serial port.
#include "control_commands.h"
#include "control_text.h"

namespace vekxsim::control {

using namespace control_text;

namespace {

// Events and literals wait in one queue behind the mailbox.
std::string queue_full() {
  return "event queue full: " + std::to_string(KtrvModel::max_queued_events) +
         " events already wait behind the mailbox; each acknowledge (ack) lets the next one in";
}

ControlReply event(Terminal &t, const Args &args) {
  const auto n = whole_number(args[0], 1, 255);
  if (!n) return ControlReply::bad_usage("1..255");
  if (!t.model().post_event(static_cast<std::uint8_t>(*n))) return ControlReply::refused(queue_full());
  const bool posted = t.model().event_in_mailbox() == *n && t.model().queued_events().empty();
  return ControlReply::done("event " + std::to_string(*n) + (posted ? " posted" : " queued"),
                            {{"event", *n}, {"posted", posted}});
}

ControlReply events(Terminal &t, const Args &) {
  const std::uint8_t mailbox = t.model().event_in_mailbox();
  const auto queued = t.model().queued_events();
  std::string out = "mailbox " + std::to_string(mailbox) + ", queued:";
  if (queued.empty()) out += " none";
  for (auto code : queued) out += ' ' + std::to_string(code);
  return ControlReply::done(out, {{"mailbox", mailbox}, {"queued", number_list(queued)}});
}

ControlReply ack(Terminal &t, const Args &) {
  t.model().acknowledge_event();
  const std::uint8_t mailbox = t.model().event_in_mailbox();
  return ControlReply::done("event mailbox cleared, now " + std::to_string(mailbox), {{"mailbox", mailbox}});
}

ControlReply key(Terminal &t, const Args &args) {
  // The text may be left out: the terminator alone ends an empty literal.
  const std::string text = args.size() == 2 ? args[0] : std::string();
  const auto code = terminator_code(args.back());
  if (!code) return ControlReply::bad_usage("code 0..255 or a key name, not " + args.back());
  if (std::string why = text_refusal(text, "TEXT"); !why.empty()) return ControlReply::refused(why);
  if (!t.model().key_literal(text, *code)) return ControlReply::refused(queue_full());
  const std::string name = terminator_name(*code);
  return ControlReply::done(
      "keyed \"" + text + "\" ended by " + std::to_string(*code) + (name.empty() ? "" : " (" + name + ")"),
      {{"text", text}, {"terminator", *code}, {"terminator_name", name}});
}

ControlReply serial(Terminal &t, const Args &args) {
  if (std::string why = text_refusal(args[0], "TEXT"); !why.empty()) return ControlReply::refused(why);
  if (!t.model().serial_literal(args[0])) return ControlReply::refused(queue_full());
  return ControlReply::done("serial \"" + args[0] + "\"", {{"text", args[0]}});
}

}  // namespace

Rows event_commands() {
  static constexpr ControlCommand rows[] = {
      {"event", "N", "post event N (1..255); queued while another waits for acknowledge", event},
      {"events", "", "the event in the mailbox and those queued behind it", events},
      {"ack", "", "clear the event mailbox as the console's acknowledge does", ack},
      {"key", "[TEXT] TERMINATOR",
       "keyboard literal: event 51, Lit50 = TEXT, bx251 = 0, bx252 = the key\n"
       "(a code 0..255 or enter, f1..f12, left, right, up, down, insert,\n"
       "home, end, delete, pgup, pgdn)",
       key, 0},
      {"serial", "TEXT", "serial port literal: event 51, Lit50 = TEXT, bx251 = 1", serial, 0},
  };
  return rows;
}

}  // namespace vekxsim::control

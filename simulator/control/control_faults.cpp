// Control commands that put faults on the service's replies, so that a
// client's waits, resends and reply matching can be seen at work: silence,
// dropped replies, late replies and decoys.
#include "control_commands.h"
#include "control_text.h"

namespace vekxsim::control {

using namespace control_text;

namespace {

// The decoy kinds by the words that name them.
struct DecoyWord {
  const char *word;
  Decoy decoy;
};
constexpr DecoyWord decoy_words[] = {
    {"type", Decoy::wrong_type}, {"sequence", Decoy::wrong_sequence}, {"name", Decoy::wrong_name}};

}  // namespace

namespace {

ControlReply silent(Terminal &t, const Args &args) {
  const auto on = on_off(args[0]);
  if (!on) return ControlReply::bad_usage();
  t.service().faults().set_silent(*on);
  return ControlReply::done(*on ? "silent: nothing is answered" : "answering again", {{"silent", *on}});
}

ControlReply drop(Terminal &t, const Args &args) {
  const auto n = whole_number(args[0], 0, 1000000);
  if (!n) return ControlReply::bad_usage("0..1000000");
  t.service().faults().drop_next_replies(static_cast<int>(*n));
  return ControlReply::done("dropping the next " + std::to_string(*n) + " replies", {{"drop", *n}});
}

ControlReply replydelay(Terminal &t, const Args &args) {
  const auto ms = whole_number(args[0], 0, longest_pause_ms);
  if (!ms) return bad_ms();
  t.service().faults().set_reply_delay(std::chrono::milliseconds(*ms));
  return ControlReply::done("replydelay " + std::to_string(*ms) + " ms", {{"reply_delay_ms", *ms}});
}

ControlReply decoy(Terminal &t, const Args &args) {
  const std::string kind = trim(args[0]);
  for (const DecoyWord &d : decoy_words) {
    if (kind != d.word) continue;
    t.service().faults().add_decoy(d.decoy);
    return ControlReply::done("a wrong-" + kind + " reply goes before the next reply", {{"decoy", kind}});
  }
  return ControlReply::bad_usage();
}

}  // namespace

Rows fault_commands() {
  static constexpr ControlCommand rows[] = {
      {"silent", "on|off", "stop answering / answer again", silent},
      {"drop", "N", "drop the next N replies", drop},
      {"replydelay", "MS", "answer every request MS late (0: at once)", replydelay},
      {"decoy", "type|sequence|name", "send one wrong reply just before the next real one", decoy},
  };
  return rows;
}

}  // namespace vekxsim::control

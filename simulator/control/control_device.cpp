// Control commands on what the KTRV device sees of the terminal: its twelve
// inputs and outputs, the lower display, the display lines and the text
// display requests put on the display, and the command mailbox.
#include "control_commands.h"
#include "control_text.h"
#include "ktrv_fields.h"
#include "traffic_line.h"

namespace vekxsim::control {

using namespace control_text;
namespace field = vekx_common::ktrv::field;

namespace {

ControlReply input(Terminal &t, const Args &args) {
  const auto on = on_off(args[1]);
  // The input's number, or the own name of its field.
  int number = static_cast<int>(whole_number(args[0], 1, 12).value_or(0));
  for (std::size_t i = 0; number == 0 && i < field::inputs.size(); ++i)
    if (t.full_name(args[0]) == t.full_name(std::string(field::own_name(field::inputs[i]))))
      number = static_cast<int>(i) + 1;
  if (number == 0 || !on) return ControlReply::bad_usage("N 1..12 or p_100..p_10f");
  t.model().set_input(number, *on);
  const std::string name(field::own_name(field::inputs[number - 1]));
  return ControlReply::done("input " + std::to_string(number) + " (" + name + ") " + (*on ? "on" : "off"),
                            {{"input", number}, {"field", name}, {"on", *on}});
}

ControlReply inputs(Terminal &t, const Args &) {
  const auto states = t.model().inputs();
  std::string out;
  ReplyList list;
  for (std::size_t i = 0; i < states.size(); ++i) {
    out += (i ? " " : "") + std::to_string(i + 1) + ":" + (states[i] ? "1" : "0");
    list.emplace_back(states[i]);
  }
  return ControlReply::done(out, {{"inputs", std::move(list)}});
}

ControlReply lower(Terminal &t, const Args &args) {
  if (std::string why = text_refusal(args[0], "TEXT"); !why.empty()) return ControlReply::refused(why);
  t.model().set_lower_display(args[0]);
  const std::string shown = args[0].substr(0, field::lower_display_length);
  return ControlReply::done("lower display \"" + shown + "\"", {{"text", shown}});
}

// The data holds display_text only while a text from the PC is shown.
ControlReply display(Terminal &t, const Args &) {
  const auto lines = t.model().display_lines();
  const auto text = t.service().display().text();
  ReplyItems data = {{"lines", ReplyList(lines.begin(), lines.end())}};
  if (text) data.emplace_back("display_text", *text);
  return ControlReply::done("line 1 \"" + lines[0] + "\"\nline 2 \"" + lines[1] + "\"\nline 3 \"" + lines[2] +
                                "\"\ndisplay text " + (text ? "\"" + printable_text(*text) + "\"" : "none"),
                            std::move(data));
}

ControlReply outputs(Terminal &t, const Args &) {
  const auto outs = t.model().outputs();
  std::string out;
  ReplyList list;
  for (std::size_t i = 0; i < outs.size(); ++i) {
    out += (i ? " " : "") + std::to_string(i + 1) + ":" + force_text(outs[i]);
    list.emplace_back(force_text(outs[i]));
  }
  return ControlReply::done(out + "  (on/off: forced; -: not forced)", {{"outputs", std::move(list)}});
}

ControlReply command(Terminal &t, const Args &args) {
  const auto n = whole_number(args[0], 0, 255);
  if (!n) return ControlReply::bad_usage("0..255");
  t.model().run_command(static_cast<std::uint8_t>(*n));
  return ControlReply::done("command " + std::to_string(*n) + " carried out", {{"command", *n}});
}

ControlReply delay(Terminal &t, const Args &args) {
  const auto ms = whole_number(args[0], 0, longest_pause_ms);
  if (!ms) return bad_ms();
  t.model().set_command_delay(std::chrono::milliseconds(*ms));
  return ControlReply::done("delay " + std::to_string(*ms) + " ms", {{"delay_ms", *ms}});
}

}  // namespace

Rows device_commands() {
  static constexpr ControlCommand rows[] = {
      {"input", "N 0|1", "input N (1..12 = In1..In12, or its field p_100..p_10f) off or on", input},
      {"inputs", "", "the twelve inputs", inputs},
      {"lower", "TEXT", "lower display bd001 (50 characters; the console shows 8 to 24)", lower, 0},
      {"display", "",
       "the KTRV display lines that commands 1 and 2 set, and the text that\n"
       "display requests put on the display (none after a reset)",
       display},
      {"outputs", "", "the twelve outputs' forcing state (commands 14 and 15)", outputs},
      {"command", "N", "carry out command N at once, as if the console had posted it", command},
      {"delay", "MS", "how long the command mailbox reads 255 before a command is taken", delay},
  };
  return rows;
}

}  // namespace vekxsim::control

// Control commands on the scale: the weight it settles on, how long it
// takes, its drift, and the selector that says which weight field the
// console shows.
#include "control_commands.h"
#include "control_text.h"
#include "ktrv_fields.h"

namespace vekxsim::control {

using namespace control_text;
namespace field = vekx_common::ktrv::field;

ControlReply weight(Terminal &t, const Args &args) {
  const auto w = decimal_number(args[0]);
  if (!w) return ControlReply::refused("usage: weight W (" + args[0] + " is not " + decimal_form + ")");
  t.model().set_weight(*w);
  return ControlReply::done("weight " + weight_text(*w), {{"weight", *w}});
}

ControlReply settle(Terminal &t, const Args &args) {
  const auto ms = whole_number(args[0], 0, longest_pause_ms);
  if (!ms) return ControlReply::refused(usage_ms("settle"));
  t.model().set_settle_time(std::chrono::milliseconds(*ms));
  return ControlReply::done("settle " + std::to_string(*ms) + " ms", {{"settle_ms", *ms}});
}

ControlReply drift(Terminal &t, const Args &args) {
  const auto w = decimal_number(args[0]);
  if (!w) return ControlReply::refused("usage: drift W (" + args[0] + " is not " + decimal_form + ")");
  t.model().set_drift(*w);
  return ControlReply::done("drift " + weight_text(*w), {{"drift", *w}});
}

ControlReply select(Terminal &t, const Args &args) {
  const auto n = whole_number(args[0], 0, 255);
  if (!n) return ControlReply::refused("usage: select 0..255");
  t.model().set_weight_selector(static_cast<std::uint8_t>(*n));
  const std::string shown(
      field::own_name(*n <= field::highest_selector_of_weight_1 ? field::weight_1 : field::weight_5));
  return ControlReply::done("weight selector " + std::to_string(*n) + " (" + shown + ")",
                            {{"selector", *n}, {"shown", shown}});
}

}  // namespace vekxsim::control

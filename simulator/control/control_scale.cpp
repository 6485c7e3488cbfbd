// Control commands on the scale: the weight it settles on, how long it
// takes, its drift, and the selector that says which weight field the
// console shows.
#include <functional>
#include <string>

#include "control_commands.h"
#include "control_text.h"
#include "ktrv_fields.h"
#include "scale.h"

namespace vekxsim::control {

using namespace control_text;
namespace field = vekx_common::ktrv::field;

namespace {

// A weight the scale takes from a command ("weight 12.5", "drift 0.1"):
// refused unless it is a finite decimal number; the reply names it as the
// terminal shows weights.
ControlReply scale_weight(const char *word, const std::string &text, const std::function<void(double)> &set) {
  const auto w = decimal_number(text);
  if (!w) return ControlReply::bad_usage(text + " is not " + decimal_form);
  set(*w);
  return ControlReply::done(word + (" " + weight_text(*w)), {{word, *w}});
}

}  // namespace

std::string unshown_weight(double w) {
  if (w >= Scale::smallest_weight && w <= Scale::largest_weight) return {};
  return "beyond what " + std::string(field::own_name(field::weight_1)) + " can show: give " +
         weight_text(Scale::smallest_weight) + " to " + weight_text(Scale::largest_weight);
}

namespace {

ControlReply weight(Terminal &t, const Args &args) {
  const auto w = decimal_number(args[0]);
  if (const std::string why = w ? unshown_weight(*w) : std::string(); !why.empty())
    return ControlReply::refused("weight " + args[0] + " is " + why);
  return scale_weight("weight", args[0], [&t](double w) { t.model().set_weight(w); });
}

ControlReply settle(Terminal &t, const Args &args) {
  const auto ms = whole_number(args[0], 0, longest_pause_ms);
  if (!ms) return bad_ms();
  t.model().set_settle_time(std::chrono::milliseconds(*ms));
  return ControlReply::done("settle " + std::to_string(*ms) + " ms", {{"settle_ms", *ms}});
}

ControlReply drift(Terminal &t, const Args &args) {
  return scale_weight("drift", args[0], [&t](double w) { t.model().set_drift(w); });
}

ControlReply select(Terminal &t, const Args &args) {
  const auto n = whole_number(args[0], 0, 255);
  if (!n) return ControlReply::bad_usage("0..255");
  t.model().set_weight_selector(static_cast<std::uint8_t>(*n));
  const std::string shown(
      field::own_name(*n <= field::highest_selector_of_weight_1 ? field::weight_1 : field::weight_5));
  return ControlReply::done("weight selector " + std::to_string(*n) + " (" + shown + ")",
                            {{"selector", *n}, {"shown", shown}});
}

}  // namespace

Rows scale_commands() {
  static constexpr ControlCommand rows[] = {
      {"weight", "W", "the scale settles on W (shown as \"%8.2f\" in wt101 and wt501)", weight},
      {"settle", "MS", "time the scale takes to settle on a new weight (default 1000)", settle},
      {"drift", "W", "random drift of at most W either way on each weight read (0: none)", drift},
      {"select", "N", "weight selector vek15 := N (0 or 1 shows wt101, else wt501)", select},
  };
  return rows;
}

}  // namespace vekxsim::control

// The poll tick: every 300 ms, the weight, the event mailbox with the
// request to acknowledge, the inputs and the terminal's lower display. The
// tick only reads, never pumps events and never ends early: whatever fails,
// it reaches the inputs and the lower display. While the weight read fails,
// the status box's tooltip says what its result means.
#include "colours.h"
#include "console.h"
#include "display_text.h"
#include "event_messages.h"
#include "terminal_fields.h"
#include "vekxapi.h"

namespace ktrv {

namespace {
// A silent terminal holds every read of a tick for its three attempts of
// 600 ms, and a tick runs to its end before any click is handled.
constexpr const char *kSilentTerminalTicks =
    "\nWhile the terminal does not answer, each poll tick waits out all 16 of its reads, up to 1.8 s each: "
    "the window is busy for 25 to 29 s per tick, the weight stays as it was until the tick ends, and Stop or "
    "Close Program takes effect only when the tick has ended.";
}  // namespace

// "STATUS=N" in words: the result with its cause, and what to do.
std::string Console::statusToolTip(std::int16_t result, const char *field) const {
  using vekx_common::ResultOrigin;
  const vekx_common::CallContext call = context(field);
  return vekx_common::describe_result(result, ResultOrigin::read_or_write, call) + ".\n" +
         vekx_common::result_details(result, ResultOrigin::read_or_write, call) +
         (result == VEKX_NO_ANSWER ? kSilentTerminalTicks : "");
}

void Console::tmrVekPoll_Timer() {
  using namespace fields;
  constexpr ControlId MessageFromKtrv = controlId("MessageFromKtrv");
  constexpr ControlId pc_acknowledge = controlId("pc_acknowledge");
  constexpr ControlId txtWeight = controlId("txtWeight");
  TickScratch s;

  // A failed selector read leaves 0, which selects the first weight field.
  vekRead(weight_selector, kOneByte, &s.selector);
  const char *weightField = s.selector <= highest_selector_of_weight_1 ? weight_1 : weight_5;
  const std::int16_t weightResult = vekRead(weightField, kWeightCount, s.weight.data());
  if (weightResult != 0) {
    view_.setText(txtWeight, "STOPPED, STATUS=" + std::to_string(weightResult));
    showStatusToolTip(statusToolTip(weightResult, weightField));
  } else {
    view_.setText(txtWeight, "G:" + textFromBuffer(s.weight, ReadLength) + " lb");
    showStatusToolTip("");
  }

  view_.setBackColour(MessageFromKtrv, kWhite);

  vekRead(event_mailbox, kOneByte, &s.eventCode);
  if (s.eventCode != codes::kNoEvent) {
    if (s.eventCode == codes::kLiteralEvent) {
      Literal_Handler(s);
    } else {
      const vekx_common::ktrv::EventMessage m = vekx_common::ktrv::event_message_for(s.eventCode);
      view_.setText(MessageFromKtrv, m.text);
      view_.setBackColour(MessageFromKtrv, m.background);
    }
    // A failed second read leaves the selector from the first step in place,
    // and that is what gets tested.
    vekRead(event_mailbox, kOneByte, &s.selector);
    if (s.selector != 0) {
      view_.setBackColour(pc_acknowledge, kRed);
      view_.setText(pc_acknowledge, "Waiting For Ack");
    }
  }

  Update_Inputs();

  // After event 51 the buffer still holds the literal where this read
  // delivers less or fails.
  vekRead(lower_display, kLowerDisplayCount, s.text.data());
  view_.setText(controlId("LowerDisplay"),
                textForDisplay(std::span<const char>(s.text).subspan(kLowerDisplayFirst, kLowerDisplayLength)));
}

}  // namespace ktrv

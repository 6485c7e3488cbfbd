// Forcing the terminal's twelve outputs from Out1 to Out12, Clear Outputs
// and Clear Forcing. The boxes are never reloaded from the terminal.
#include "console.h"
#include "terminal_fields.h"

namespace ktrv {

void Console::Out_Click(int box) {
  if (box == 0) {
    Wait_For_Vek();
    if (closing_) return;
  }
  // The state is read after Out1's first wait: a click during that wait
  // counts.
  const std::uint8_t value = view_.isChecked(kOutputBoxes[box]) ? fields::kOutputForced : fields::kOutputReleased;
  vekWrite(fields::outputs[box], fields::kOneByte, &value);
  postCommand(codes::apply_forcing);
}

void Console::OutputsOff_Click() {
  const std::uint8_t released = fields::kOutputReleased;
  for (const char *field : fields::outputs) vekWrite(field, fields::kOneByte, &released);
  postCommand(codes::apply_forcing);
  // Each box that this unticks runs its own handling (writes, command and
  // wait) before the next box is unticked.
  for (int i = 0; i < kOutputCount && !closing_; ++i) {
    if (!view_.isChecked(kOutputBoxes[i])) continue;
    view_.setChecked(kOutputBoxes[i], false);
    Out_Click(i);
  }
}

void Console::Command1_Click() { postCommand(codes::clear_forcing); }

}  // namespace ktrv

// Forcing the terminal's twelve outputs from Out1 to Out12, Clear Outputs
// and Clear Forcing. The boxes are never reloaded from the terminal.
#include <QCheckBox>

#include "../window/frm_main.h"
#include "../window/vekx_binding.h"
#include "command_fields.h"

namespace ktrv {

void frmMain::Out_Click(int box) {
  if (closing_) return;
  if (box == 0) {
    Wait_For_Vek();
    if (closing_) return;
  }
  // The state is read after Out1's first wait: a click during that wait
  // counts.
  const std::uint8_t value = Out[box]->isChecked() ? commands::kOutputForced : commands::kOutputReleased;
  vekWrite(commands::kOutputFields[box], 1, &value);
  postCommand(commands::code::output_forcing);
}

void frmMain::OutputsOff_Click() {
  if (closing_) return;
  const std::uint8_t released = commands::kOutputReleased;
  for (const char *field : commands::kOutputFields) vekWrite(field, 1, &released);
  postCommand(commands::code::output_forcing);
  // Each box that this unticks runs its own handling (writes, command and
  // wait) before the next box is unticked.
  for (QCheckBox *box : Out) {
    if (closing_) return;
    box->setChecked(false);
  }
}

void frmMain::Command1_Click() {
  if (closing_) return;
  postCommand(commands::code::clear_forcing);
}

}  // namespace ktrv

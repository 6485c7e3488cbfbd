// Commands without parameters (reset, transaction complete, flush) and the
// acknowledge of a pending event, which clears the event mailbox without
// posting a command or waiting.
#include "../window/command_button.h"
#include "../window/frm_main.h"
#include "../window/vekx_binding.h"
#include "command_fields.h"

namespace ktrv {

void frmMain::SendReset_Click() {
  if (closing_) return;
  postCommand(commands::code::ktrv_reset);
}

void frmMain::TransComplete_Click() {
  if (closing_) return;
  postCommand(commands::code::transaction_complete);
}

void frmMain::BufFlush_Click() {
  if (closing_) return;
  postCommand(commands::code::flush_buffer);
}

void frmMain::pc_acknowledge_Click() {
  if (closing_) return;
  const std::uint8_t acknowledged = commands::kAcknowledged;
  vekWrite(commands::kEventMailboxField, 1, &acknowledged);
  pc_acknowledge->setBackColour(QColor(0, 255, 0));
  pc_acknowledge->setText(QStringLiteral("PC Acknowledge"));
}

}  // namespace ktrv

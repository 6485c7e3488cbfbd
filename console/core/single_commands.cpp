// Commands without parameters (reset, transaction complete, flush) and the
// acknowledge of a pending event, which clears the event mailbox without
// posting a command or waiting.
#include "colours.h"
#include "console.h"
#include "terminal_fields.h"

namespace ktrv {

void Console::SendReset_Click() { postCommand(codes::ktrv_reset); }

void Console::TransComplete_Click() { postCommand(codes::transaction_complete); }

void Console::BufFlush_Click() { postCommand(codes::flush_buffer); }

void Console::pc_acknowledge_Click() {
  const std::uint8_t acknowledged = codes::kAcknowledged;
  vekWrite(fields::event_mailbox, fields::kOneByte, &acknowledged);
  view_.setBackColour(controlId("pc_acknowledge"), kGreen);
  view_.setText(controlId("pc_acknowledge"), "PC Acknowledge");
}

}  // namespace ktrv

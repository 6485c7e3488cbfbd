// Commands without parameters (reset, transaction complete, flush) and the
// acknowledge of a pending event, which clears the event mailbox without
// posting a command or waiting.
#include "colours.h"
#include "console.h"
#include "terminal_fields.h"

namespace ktrv {

void Console::SendReset_Click() { postCommand(codes::kKtrvReset); }

void Console::TransComplete_Click() { postCommand(codes::kTransactionComplete); }

void Console::BufFlush_Click() { postCommand(codes::kFlushBuffer); }

void Console::pc_acknowledge_Click() {
  const std::uint8_t acknowledged = codes::kAcknowledged;
  vekWrite(fields::kEventMailbox, fields::kOneByte, &acknowledged);
  view_.setBackColour(controlId("pc_acknowledge"), kGreen);
  view_.setText(controlId("pc_acknowledge"), "PC Acknowledge");
}

}  // namespace ktrv

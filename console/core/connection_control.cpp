// Start, Stop, Close Program, Clear Message Windows and the window's close
// handling. The console keeps no connection state of its own: what the
// operator sees of the registration is what the next poll tick shows.
#include "console.h"

namespace ktrv {

namespace {
constexpr std::int16_t kProcessType = 1;
constexpr std::int32_t kAddressCount = 1;
const std::string kOneBlank = " ";
}  // namespace

void Console::IPupdate_Click() {
  vekCloseProcess();
  // The address goes as typed: no trimming, no check of its form.
  vekRegisterProcess(kProcessType, view_.text(controlId("IPAddr")), kAddressCount);
}

void Console::StopEther_Click() { vekCloseProcess(); }

void Console::ExitProg_Click() { view_.requestClose(); }

void Console::SerialClear_Click() {
  for (ControlId box :
       {controlId("VekSerial1"), controlId("VekTerminator"), controlId("VekKeyBuffer"), controlId("MessageFromKtrv")})
    view_.setText(box, kOneBlank);
}

// The close is never refused. A command that is waiting for the terminal
// sees closing_ at the end of its current pause and returns, so every wait
// ends together with the window and no handler touches it afterwards.
void Console::closing() {
  if (closing_) return;
  const FailureReports::Run run(reports_, "close", false);
  halt();
  vekCloseProcess();
}

void Console::halt() {
  closing_ = true;
  view_.stopTimer(TimerId::tmrVekPoll);
  view_.stopTimer(TimerId::Delay1);
  Delay_Flag = 0;
  // The waits end at their next pass, which no longer touches the window.
  if (waits_ > 0) view_.showWaiting(false);
}

}  // namespace ktrv

// The command mailbox handshake: post a code into "/t1/bx297", then read it
// back every 100 ms until the terminal has taken it (any byte but 255).
//
// The pause keeps the window live: poll ticks and further clicks run inside
// it. It blocks in the event loop until the next event instead of spinning,
// so a waiting console uses next to no CPU. The wait has no bound; it ends
// early only when the window closes.
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include "../poll/tick_scratch.h"
#include "../window/frm_main.h"
#include "../window/vekx_binding.h"
#include "command_fields.h"

namespace ktrv {

void frmMain::postCommand(std::uint8_t code) {
  vekWrite(commands::kCommandMailboxField, 1, &code);
  Wait_For_Vek();
}

void frmMain::Wait_For_Vek() {
  // A read that fails leaves the low byte as it was, so the wait goes on
  // until a read completes with a byte other than 255; the high byte stays
  // all ones whatever the terminal sends.
  std::int16_t waitValue = -1;
  while (waitValue == -1 && !closing_) {
    vekRead(commands::kCommandMailboxField, 1, &waitValue);
    Delay_Me(commands::kMailboxPollPauseMs);
  }
}

// Nested pauses share Delay_Flag and Delay1: the tick that ends the inner
// pause ends the outer one too.
void frmMain::Delay_Me(std::int16_t milliseconds) {
  Delay_Flag = 255;
  Delay1->setInterval(milliseconds);
  Delay1->start();
  while (Delay_Flag == 255 && !closing_) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  Delay1->stop();
}

void frmMain::Delay1_Timer() { Delay_Flag = 0; }

}  // namespace ktrv

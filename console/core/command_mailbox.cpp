// The command mailbox handshake: post a code into "/t1/bx297", then read it
// back every 100 ms until the terminal has taken it (any byte but 255).
//
// The pause keeps the window live: poll ticks and further clicks run inside
// it. It waits for the window's next event instead of spinning, so a
// waiting console uses next to no CPU. The wait has no bound; it ends early
// only when the window closes.
#include "console.h"
#include "terminal_fields.h"

namespace ktrv {

namespace {
constexpr std::int16_t kMailboxPollPauseMs = 100;
constexpr std::uint8_t kPausing = 255;
}  // namespace

void Console::postCommand(std::uint8_t code) {
  vekWrite(fields::command_mailbox, fields::kOneByte, &code);
  Wait_For_Vek();
}

void Console::Wait_For_Vek() {
  // The wait cursor shows from the first wait's start to the end of the
  // outermost one, also where a click inside a pause waits again.
  if (waits_++ == 0) view_.showWaiting(true);
  // A read that fails leaves the low byte as it was, so the wait goes on
  // until a read completes with a byte other than 255; the high byte stays
  // all ones whatever the terminal sends.
  std::int16_t waitValue = -1;
  while (waitValue == -1 && !closing_) {
    vekRead(fields::command_mailbox, fields::kOneByte, &waitValue);
    Delay_Me(kMailboxPollPauseMs);
  }
  // The close has put the usual cursor back already.
  if (--waits_ == 0 && !closing_) view_.showWaiting(false);
}

// Nested pauses share Delay_Flag and Delay1: the tick that ends the inner
// pause ends the outer one too.
void Console::Delay_Me(std::int16_t milliseconds) {
  Delay_Flag = kPausing;
  view_.startTimer(TimerId::Delay1, milliseconds);
  while (Delay_Flag == kPausing && !closing_) view_.waitForEvents();
  // The close has stopped the timers already, and the window may be gone.
  if (!closing_) view_.stopTimer(TimerId::Delay1);
}

void Console::Delay1_Timer() { Delay_Flag = 0; }

}  // namespace ktrv

// Event 51: a literal the terminal holds for the PC, keyed in on its
// keyboard (with the key that ended the entry) or received on its serial
// port.
#include "console.h"
#include "display_text.h"
#include "terminal_fields.h"
#include "terminator_keys.h"

namespace ktrv {

void Console::Literal_Handler(TickScratch &s) {
  using namespace fields;
  vekRead(literal, kLiteralCount, s.text.data());
  // When the read failed, ReadLength still holds the event code read's 1 and
  // the buffer is NUL, so the literal is empty.
  const std::string literal = textFromBuffer(std::span<const char>(s.text).first(kLiteralCount), ReadLength);

  vekRead(literal_source, kOneByte, &s.source);
  if (s.source == static_cast<std::int16_t>(LiteralSource::serial_port)) {
    view_.setText(controlId("VekSerial1"), literal);
    return;
  }
  if (s.source != static_cast<std::int16_t>(LiteralSource::keyboard)) return;

  vekRead(literal_terminator, kOneByte, &s.terminator);
  if (const char *name = vekx_common::terminator_name(s.terminator)) view_.setText(controlId("VekTerminator"), name);
  view_.setText(controlId("VekKeyBuffer"), literal);
  view_.setText(controlId("DisplayLine3"), literal);
}

}  // namespace ktrv

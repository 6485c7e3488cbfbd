// Event 51: a literal the terminal holds for the PC, keyed in on its
// keyboard (with the key that ended the entry) or received on its serial
// port.
#include <QLineEdit>

#include "../window/frm_main.h"
#include "../window/text_box.h"
#include "../window/vekx_binding.h"
#include "poll_fields.h"
#include "terminator_names.h"
#include "text_from_buffer.h"
#include "tick_scratch.h"

namespace ktrv {

void frmMain::Literal_Handler(TickScratch &s) {
  using namespace poll;
  vekRead(kLiteralField, kLiteralCount, s.text.data());
  // When the read failed, ReadLength still holds the event code read's 1 and
  // the buffer is NUL, so the literal is empty.
  const QString literal = textFromBuffer(std::span<const char>(s.text).first(kLiteralCount), ReadLength);

  vekRead(kLiteralSourceField, kOneByte, &s.source);
  if (s.source == static_cast<std::int16_t>(LiteralSource::serial_port)) {
    setBoxText(VekSerial1, literal);
    return;
  }
  if (s.source != static_cast<std::int16_t>(LiteralSource::keyboard)) return;

  vekRead(kTerminatorField, kOneByte, &s.terminator);
  if (const char *name = terminatorName(s.terminator)) setBoxText(VekTerminator, QString::fromLatin1(name));
  setBoxText(VekKeyBuffer, literal);
  setBoxText(DisplayLine3, literal);
}

}  // namespace ktrv

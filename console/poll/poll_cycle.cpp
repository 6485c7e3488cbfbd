// The poll tick: every 300 ms, the weight, the event mailbox with the
// request to acknowledge, the inputs and the terminal's lower display. The
// tick only reads, never pumps events and never ends early: whatever fails,
// it reaches the inputs and the lower display.
#include <QLineEdit>

#include "../window/command_button.h"
#include "../window/frm_main.h"
#include "../window/text_box.h"
#include "../window/vekx_binding.h"
#include "event_messages.h"
#include "poll_fields.h"
#include "text_from_buffer.h"
#include "tick_scratch.h"

namespace ktrv {

namespace {

void setTextBoxBackColour(QLineEdit *box, std::uint32_t rgb) {
  QPalette pal = box->palette();
  pal.setColor(QPalette::Base, QColor::fromRgb(static_cast<QRgb>(rgb)));
  box->setPalette(pal);
}

const QString kWaitingForAck = QStringLiteral("Waiting For Ack");

}  // namespace

void frmMain::tmrVekPoll_Timer() {
  using namespace poll;
  TickScratch s;

  // A failed selector read leaves 0, which selects the first weight field.
  vekRead(kWeightSelectorField, kOneByte, &s.selector);
  const char *weightField = s.selector <= kHighestSelectorOfWeight1 ? kWeightField1 : kWeightField5;
  const std::int16_t weightResult = vekRead(weightField, kWeightCount, s.weight.data());
  if (weightResult != 0) {
    setBoxText(txtWeight, QStringLiteral("STOPPED, STATUS=") + QString::number(weightResult));
  } else {
    setBoxText(txtWeight, QStringLiteral("G:") + textFromBuffer(s.weight, ReadLength) + QStringLiteral(" lb"));
  }

  setTextBoxBackColour(MessageFromKtrv, kWhite);

  vekRead(kEventMailboxField, kOneByte, &s.eventCode);
  if (s.eventCode != kNoEvent) {
    if (s.eventCode == kLiteralEvent) {
      Literal_Handler(s);
    } else {
      const EventMessage m = eventMessageFor(s.eventCode);
      setBoxText(MessageFromKtrv, QString::fromLatin1(m.text));
      setTextBoxBackColour(MessageFromKtrv, m.background);
    }
    // A failed second read leaves the selector from the first step in place,
    // and that is what gets tested.
    vekRead(kEventMailboxField, kOneByte, &s.selector);
    if (s.selector != 0) {
      pc_acknowledge->setBackColour(QColor::fromRgb(static_cast<QRgb>(kRed)));
      pc_acknowledge->setText(kWaitingForAck);
    }
  }

  Update_Inputs();

  // After event 51 the buffer still holds the literal where this read
  // delivers less or fails.
  vekRead(kLowerDisplayField, kLowerDisplayCount, s.text.data());
  setBoxText(LowerDisplay,
             decodeCp1252ForDisplay(std::span<const char>(s.text).subspan(kLowerDisplayFirst, kLowerDisplayLength)));
}

}  // namespace ktrv

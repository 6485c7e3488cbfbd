// Three lines of text for the KTRV display, sent as fixed-size blocks of
// Windows-1252 bytes padded with spaces, each line cut at 20 characters.
#include <QLineEdit>

#include <string>

#include "../window/code_page.h"
#include "../window/frm_main.h"
#include "../window/vekx_binding.h"
#include "command_fields.h"

namespace ktrv {

namespace {

using commands::kDisplayBlockLength;
using commands::kDisplayLineLength;

// Line 1: the text with 20 spaces appended, cut to 20 characters.
QString firstLine(const QString &text) {
  return (text + QString(kDisplayLineLength, QLatin1Char(' '))).left(kDisplayLineLength);
}

// A block of 40 characters: the given start, filled up with spaces.
std::string block(const QString &start) {
  std::string bytes = encodeCp1252(start.left(kDisplayBlockLength));
  bytes.resize(kDisplayBlockLength, ' ');
  return bytes;
}

}  // namespace

void frmMain::UpdateDisplay_Click() {
  if (closing_) return;
  const QString line1 = firstLine(DisplayLine1->text());
  const std::string lines12 = block(line1 + DisplayLine2->text().left(kDisplayLineLength));
  vekWrite(commands::kDisplayLines12Field, kDisplayBlockLength, lines12.data());
  // Line 3 is taken only once the first write has returned.
  const std::string line3 = block(DisplayLine3->text().left(kDisplayLineLength));
  vekWrite(commands::kDisplayLine3Field, kDisplayLineLength, line3.data());
  const std::uint8_t parameter = commands::kFourLineParameter;
  vekWrite(commands::kDisplayParameterField, 1, &parameter);
  postCommand(commands::code::four_line_display);
}

void frmMain::SingleLineDisp_Click() {
  if (closing_) return;
  const std::string lines12 = block(firstLine(DisplayLine1->text()));
  vekWrite(commands::kDisplayLines12Field, kDisplayBlockLength, lines12.data());
  const std::uint8_t parameter = commands::kSingleLineParameter;
  vekWrite(commands::kDisplayParameterField, 1, &parameter);
  postCommand(commands::code::single_display_line);
}

}  // namespace ktrv

// Three lines of text for the KTRV display, sent as fixed-size blocks of
// Windows-1252 bytes padded with spaces, each line cut at 20 characters.
#include "console.h"
#include "display_text.h"
#include "terminal_fields.h"

namespace ktrv {

namespace {

using fields::display_block_length;
using fields::display_line_length;

// Up to `length` characters of a box's text, padded with spaces to `size`.
std::string padded(const std::string &bytes, std::size_t length, std::size_t size) {
  std::string out = bytes.substr(0, length);
  out.resize(size, ' ');
  return out;
}

}  // namespace

void Console::UpdateDisplay_Click() {
  const std::string line1 =
      padded(bytesForTerminal(view_.text(controlId("DisplayLine1"))), display_line_length, display_line_length);
  const std::string lines12 =
      padded(line1 + bytesForTerminal(view_.text(controlId("DisplayLine2"))).substr(0, display_line_length),
             display_block_length, display_block_length);
  vekWrite(fields::display_lines_12, display_block_length, lines12.data());
  // Line 3 is taken only once the first write has returned.
  const std::string line3 =
      padded(bytesForTerminal(view_.text(controlId("DisplayLine3"))), display_line_length, display_block_length);
  vekWrite(fields::display_line_3, display_line_length, line3.data());
  showDisplayLines(fields::kFourLineParameter, codes::four_line);
}

void Console::SingleLineDisp_Click() {
  const std::string lines12 =
      padded(bytesForTerminal(view_.text(controlId("DisplayLine1"))), display_line_length, display_block_length);
  vekWrite(fields::display_lines_12, display_block_length, lines12.data());
  showDisplayLines(fields::kSingleLineParameter, codes::single_line);
}

void Console::showDisplayLines(std::uint8_t parameter, std::uint8_t command) {
  vekWrite(fields::display_parameter, fields::kOneByte, &parameter);
  postCommand(command);
}

}  // namespace ktrv

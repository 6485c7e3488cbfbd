// Values as vekx shows them, and results with the cause each one names.
#include <gtest/gtest.h>

#include <cstdlib>

#include "result_text.h"
#include "value_text.h"

namespace vekx_tool {
namespace {

TEST(ValueText, EachFormShowsTheSameBytes) {
  EXPECT_EQ(format_value({54}, ValueForm::automatic), "54 '6'");
  EXPECT_EQ(format_value({0}, ValueForm::automatic), "0");  // no character for an unprintable byte
  EXPECT_EQ(format_value({0xE9}, ValueForm::automatic), "233 'é'");
  EXPECT_EQ(format_value({0x7F}, ValueForm::automatic), "127");
  EXPECT_EQ(format_value({'1', '2', '.', '5', 0, 'x'}, ValueForm::automatic), "12.5");
  EXPECT_EQ(format_value({54}, ValueForm::text), "6");
  EXPECT_EQ(format_value({0, 54, 255}, ValueForm::dec), "0 54 255");
  EXPECT_EQ(format_value({0, 54, 255}, ValueForm::hex), "00 36 ff");
}

// Text is shown in UTF-8 from the terminal's Windows-1252; a byte that
// could move the cursor, vanish or stand for nothing is escaped instead.
TEST(ValueText, TextEscapesWhatNoOneCanRead) {
  EXPECT_EQ(format_value({'G', 'r', 0xFC, 0xDF, 'e', 0x80}, ValueForm::text), "Grüße€");
  EXPECT_EQ(format_value({'a', '\t', 0x7F, 0x1B, 0x81, 0x9D, '\\'}, ValueForm::text), "a\\x09\\x7f\\x1b\\x81\\x9d\\\\");
}

TEST(ValueText, CsvCellsQuoteWhatWouldSplitThem) {
  EXPECT_EQ(csv_cell("12.50"), "12.50");
  EXPECT_EQ(csv_cell("1,5"), "\"1,5\"");
  EXPECT_EQ(csv_cell("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(csv_cell("a\nb"), "\"a\nb\"");
}

TEST(ResultText, TerminalStatusesAndTheAmbiguousWriteResults) {
  EXPECT_EQ(describe_result(200, ResultOrigin::read_or_write).text, "terminal status 200");
  const ResultDescription either = describe_result(2, ResultOrigin::read_or_write);
  EXPECT_EQ(either.text, "2 bad argument or terminal status 2");
  EXPECT_EQ(either.exit_status, 4);
}

// The address and port of a call that got no answer: the node's own entry
// of the list, and the terminal port 1701 when no variable sets another.
// (Each cause through the program itself: VekxProgram.FailuresNameTheirCause.)
TEST(ResultText, NoAnswerNamesTheNodesAddressAndPort) {
  ::unsetenv("VEKX_TERMINAL_PORT");
  EXPECT_EQ(describe_result(1, ResultOrigin::library, {.address_list = "10.0.0.1,127.0.0.1", .field = "/t2/x"}).text,
            "1 no usable answer from 127.0.0.1:1701");
}

}  // namespace
}  // namespace vekx_tool

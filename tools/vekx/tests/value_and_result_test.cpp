// Values as vekx shows them, and the exit status each result leads to.
#include <gtest/gtest.h>

#include "exit_status.h"
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

// The program tests check each kind of result's status; here, the write
// results whose origin only the field name tells.
TEST(ExitStatus, FollowsWhoseResultItIs) {
  EXPECT_EQ(describe_call_result(4, ResultOrigin::read_or_write, {.field = "/x1/x"}).exit_status, exit_status::refused);
  EXPECT_EQ(describe_call_result(4, ResultOrigin::read_or_write, {.field = "/t1/x"}).exit_status,
            exit_status::terminal_status);
  EXPECT_EQ(describe_call_result(1, ResultOrigin::read_or_write, {.field = "/t1/x"}).exit_status,
            exit_status::no_answer);
}

}  // namespace
}  // namespace vekx_tool

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
  EXPECT_EQ(format_value({'1', '2', '.', '5', 0, 'x'}, ValueForm::automatic), "12.5");
  EXPECT_EQ(format_value({54}, ValueForm::text), "6");
  EXPECT_EQ(format_value({'a', '\t', 0xff, '\\'}, ValueForm::text), "a\\x09\\xff\\\\");
  EXPECT_EQ(format_value({0, 54, 255}, ValueForm::dec), "0 54 255");
  EXPECT_EQ(format_value({0, 54, 255}, ValueForm::hex), "00 36 ff");
}

TEST(ValueText, NumbersWithinRange) {
  EXPECT_EQ(parse_number("16", 1, 16), 16);
  EXPECT_EQ(parse_number("0x141", 0, 0x1000), 0x141);
  for (const char *bad : {"17", "0", "-1", "1x", "", "99999999999999999999"})
    EXPECT_FALSE(parse_number(bad, 1, 16)) << bad;
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

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

// A failure names where it happened: the address and port that were tried,
// the node that has no address, the port variable that is wrong.
TEST(ResultText, FailuresNameTheirCause) {
  ::setenv("VEKX_TERMINAL_PORT", "11701", 1);
  ::setenv("VEKX_LOCAL_PORT", "abc", 1);
  const ResultDescription silent =
      describe_result(1, ResultOrigin::library, {.address_list = "10.0.0.1,127.0.0.1", .field = "/t2/wt101"});
  EXPECT_EQ(silent.text, "1 no usable answer from 127.0.0.1:11701");
  EXPECT_EQ(silent.exit_status, 1);
  EXPECT_EQ(describe_result(10038, ResultOrigin::library, {.address_list = "127.0.0.1", .field = "/t3/x"}).text,
            "10038 node 3 has no address in 127.0.0.1");
  EXPECT_EQ(describe_result(2, ResultOrigin::library, {.address_list = "127.0.0.1"}).text,
            "2 bad argument: VEKX_LOCAL_PORT=abc is not a port number from 1 to 65520");
  ::unsetenv("VEKX_TERMINAL_PORT");
  ::unsetenv("VEKX_LOCAL_PORT");
  EXPECT_EQ(describe_result(1, ResultOrigin::library, {.address_list = "127.0.0.1", .node = 1}).text,
            "1 no usable answer from 127.0.0.1:1701");
}

}  // namespace
}  // namespace vekx_tool

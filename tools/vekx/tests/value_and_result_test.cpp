// Values as a shell user types and reads them, and results as vekx shows
// them with the exit status each one gives.
#include <gtest/gtest.h>

#include "result_text.h"
#include "value_text.h"

namespace vekx_tool {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(ValueText, HexBytesInTheUsualSpellings) {
  EXPECT_EQ(parse_hex_bytes("0a ff"), (Bytes{0x0a, 0xff}));
  EXPECT_EQ(parse_hex_bytes("0AFF"), (Bytes{0x0a, 0xff}));
  EXPECT_EQ(parse_hex_bytes("0a:ff"), (Bytes{0x0a, 0xff}));
  EXPECT_EQ(parse_hex_bytes("0x02"), Bytes{0x02});
  EXPECT_EQ(parse_hex_bytes(""), Bytes{});
  EXPECT_FALSE(parse_hex_bytes("a"));
  EXPECT_FALSE(parse_hex_bytes("0a f"));
  EXPECT_FALSE(parse_hex_bytes("zz"));
  EXPECT_FALSE(parse_hex_bytes("0x"));
}

TEST(ValueText, NumbersWithinRange) {
  EXPECT_EQ(parse_number("16", 1, 16), 16);
  EXPECT_EQ(parse_number("0xff", 0, 255), 255);
  EXPECT_FALSE(parse_number("17", 1, 16));
  EXPECT_FALSE(parse_number("-1", 0, 255));
  EXPECT_FALSE(parse_number("1x", 0, 255));
  EXPECT_FALSE(parse_number("", 0, 255));
  EXPECT_FALSE(parse_number("99999999999999999999", 0, 255));
}

TEST(ValueText, TextStopsAtTheFirstZeroAndEscapesTheRest) {
  EXPECT_EQ(value_as_text({'1', '2', '.', '5', 0, 'x'}), "12.5");
  EXPECT_EQ(value_as_text({'a', '\t', 0xff, '\\'}), "a\\x09\\xff\\\\");
  EXPECT_EQ(value_as_text({}), "");
  EXPECT_EQ(value_as_hex({0x00, 0x36, 0xff}), "00 36 ff");
}

// The results the program tests cannot provoke against a working terminal.
TEST(ResultText, LibraryResultsByNumberAndMeaning) {
  struct Case {
    std::int16_t result;
    const char *text;
    int exit;
  };
  const Case cases[] = {
      {2, "2 bad argument", exit_status::refused},
      {-1, "-1 already registered", exit_status::refused},
      {-2, "-2 not registered", exit_status::refused},
      {-4, "-4 no memory for the write request", exit_status::refused},
      {10099, "10099 sockets error", exit_status::sockets_error},
  };
  for (const Case &c : cases) {
    ResultDescription d = describe_result(c.result, ResultOrigin::library);
    EXPECT_EQ(d.text, c.text);
    EXPECT_EQ(d.exit_status, c.exit) << c.text;
  }
}

TEST(ResultText, TerminalStatusesAndTheAmbiguousWriteResults) {
  EXPECT_EQ(describe_result(1, ResultOrigin::terminal).text, "terminal status 1");
  EXPECT_EQ(describe_result(1, ResultOrigin::terminal).exit_status, exit_status::terminal_status);
  EXPECT_EQ(describe_result(0, ResultOrigin::terminal).text, "0 success");
  EXPECT_EQ(describe_result(200, ResultOrigin::read_or_write).text, "terminal status 200");
  ResultDescription either = describe_result(1, ResultOrigin::read_or_write);
  EXPECT_EQ(either.text, "1 no usable answer or terminal status 1");
  EXPECT_EQ(either.exit_status, exit_status::no_answer);
  EXPECT_EQ(describe_result(-2, ResultOrigin::read_or_write).text, "-2 not registered");
}

}  // namespace
}  // namespace vekx_tool

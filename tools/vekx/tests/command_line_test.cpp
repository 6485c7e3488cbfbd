// What vekx accepts on its command line and what it refuses before sending.
#include <gtest/gtest.h>

#include "command_line.h"

namespace vekx_tool {
namespace {

using Bytes = std::vector<std::uint8_t>;

ParseResult parse(const std::vector<std::string> &args) { return parse_command_line(args); }

TEST(CommandLine, ReadTakesOptionsAnywhereAfterTheCommandWord) {
  auto p = parse({"read", "--hex", "10.0.0.5,10.0.0.6", "/t2/wt101", "--size", "8", "--formatted"});
  ASSERT_TRUE(p.command) << p.error;
  EXPECT_EQ(p.command->address_list, "10.0.0.5,10.0.0.6");
  EXPECT_EQ(p.command->fields, (std::vector<FieldSpec>{{"/t2/wt101", ValueForm::hex}}));
  EXPECT_TRUE(p.command->formatted);
  EXPECT_EQ(p.command->buffer_size, 8);
  EXPECT_EQ(parse({"read", "a", "/t1/x"}).command->buffer_size, 600);
  EXPECT_EQ(parse({"read", "a", "/t1/x"}).command->fields[0].form, ValueForm::automatic);
}

TEST(CommandLine, WriteValueIsTextOrHexBytes) {
  EXPECT_EQ(parse({"write", "a", "/t1/Lit01", "AB 1"}).command->value, (Bytes{'A', 'B', ' ', '1'}));
  EXPECT_EQ(parse({"write", "a", "/t1/bx205", "02", "--hex"}).command->value, Bytes{2});
  // After "--" a value may look like an option.
  auto dashes = parse({"write", "a", "/t1/Lit01", "--", "--x"});
  ASSERT_TRUE(dashes.command) << dashes.error;
  EXPECT_EQ(dashes.command->value, (Bytes{'-', '-', 'x'}));
}

TEST(CommandLine, KeyCodeIsANumberOrOneCharacter) {
  EXPECT_EQ(parse({"key", "a", "1", "2", "0x41"}).command->key_code, 0x41);
  EXPECT_EQ(parse({"key", "a", "1", "1", "A"}).command->key_code, 'A');
  EXPECT_EQ(parse({"key", "a", "1", "1", "7"}).command->key_code, 7);  // a digit is a number
}

TEST(CommandLine, WatchTakesAFormPerFieldAndAnInterval) {
  auto p =
      parse({"watch", "a", "/t1/wt101:text", "/t1/bx298", "/t:/x:dec", "/t:/y", "--interval", "50", "--hex", "--csv"});
  ASSERT_TRUE(p.command) << p.error;
  EXPECT_EQ(p.command->fields, (std::vector<FieldSpec>{{"/t1/wt101", ValueForm::text},
                                                       {"/t1/bx298", ValueForm::hex},
                                                       {"/t:/x", ValueForm::dec},
                                                       {"/t:/y", ValueForm::hex}}));
  EXPECT_EQ(p.command->interval_ms, 50);
  EXPECT_TRUE(p.command->csv);
}

TEST(CommandLine, RefusesWithAOneLineReason) {
  const std::vector<std::vector<std::string>> refused = {
      {"fetch", "a", "/t1/x"},
      {"read", "a", "/t1/x", "extra"},
      {"read", "a", "/t1/x", "--size", "32768"},
      {"read", "a", "/t1/x", "--interval", "5"},
      {"read", "a", "/t1/x", "--hex", "--dec"},
      {"write", "a", "/t1/x", "123", "--hex"},
      {"display", "a", "1", "0123456789abcdefg"},
      {"key", "a", "1", "3", "65"},
      {"key", "a", "1", "1", "AB"},
      {"watch", "a", "/t1/x:octal"},
  };
  for (const auto &args : refused) {
    ParseResult p = parse(args);
    std::string joined;
    for (const auto &a : args) joined += a + " ";
    EXPECT_FALSE(p.command) << joined;
    EXPECT_FALSE(p.error.empty()) << joined;
    EXPECT_EQ(p.error.find('\n'), std::string::npos) << joined;
  }
}

}  // namespace
}  // namespace vekx_tool

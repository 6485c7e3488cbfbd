// What vekx accepts on its command line and what it refuses before sending.
#include <gtest/gtest.h>

#include "command_line.h"

namespace vekx_tool {
namespace {

ParseResult parse(const std::vector<std::string> &args) { return parse_command_line(args); }

TEST(CommandLine, ReadTakesOptionsAnywhereAfterTheCommandWord) {
  auto p = parse({"read", "--hex", "10.0.0.5,10.0.0.6", "/t2/wt101", "--size", "8", "--formatted"});
  ASSERT_TRUE(p.command) << p.error;
  EXPECT_EQ(p.command->action, Action::read);
  EXPECT_EQ(p.command->address_list, "10.0.0.5,10.0.0.6");
  EXPECT_EQ(p.command->fields, std::vector<std::string>{"/t2/wt101"});
  EXPECT_TRUE(p.command->hex);
  EXPECT_TRUE(p.command->formatted);
  EXPECT_EQ(p.command->buffer_size, 8);
  EXPECT_EQ(parse({"read", "a", "/t1/x"}).command->buffer_size, 600);
}

TEST(CommandLine, WriteValueIsTextOrHexBytes) {
  auto text = parse({"write", "a", "/t1/Lit01", "AB 1"});
  ASSERT_TRUE(text.command);
  EXPECT_EQ(text.command->value, (std::vector<std::uint8_t>{'A', 'B', ' ', '1'}));
  auto hex = parse({"write", "a", "/t1/bx205", "02", "--hex"});
  ASSERT_TRUE(hex.command);
  EXPECT_EQ(hex.command->value, std::vector<std::uint8_t>{2});
  // After "--" a value may look like an option.
  auto dashes = parse({"write", "a", "/t1/Lit01", "--", "--x"});
  ASSERT_TRUE(dashes.command) << dashes.error;
  EXPECT_EQ(dashes.command->value, (std::vector<std::uint8_t>{'-', '-', 'x'}));
  EXPECT_TRUE(parse({"write", "a", "/t1/Lit01", ""}).command->value.empty());
}

TEST(CommandLine, DisplayTextIsPaddedToSixteenWithSpaces) {
  auto p = parse({"display", "a", "16", "HELLO"});
  ASSERT_TRUE(p.command);
  EXPECT_EQ(p.command->node, 16);
  EXPECT_EQ(p.command->display_text, "HELLO           ");
  EXPECT_EQ(parse({"display", "a", "1", "0123456789abcdef"}).command->display_text, "0123456789abcdef");
}

TEST(CommandLine, KeyCodeIsANumberOrOneCharacter) {
  EXPECT_EQ(parse({"key", "a", "1", "2", "0x41"}).command->key_code, 0x41);
  EXPECT_EQ(parse({"key", "a", "1", "1", "A"}).command->key_code, 'A');
  EXPECT_EQ(parse({"key", "a", "1", "1", "7"}).command->key_code, 7);  // a digit is a number
  EXPECT_EQ(parse({"key", "a", "3", "2", "A"}).command->key_kind, 2);
}

TEST(CommandLine, WatchTakesSeveralFieldsAndAnInterval) {
  auto p = parse({"watch", "a", "/t1/wt101", "/t1/bx298", "--interval", "50"});
  ASSERT_TRUE(p.command);
  EXPECT_EQ(p.command->fields, (std::vector<std::string>{"/t1/wt101", "/t1/bx298"}));
  EXPECT_EQ(p.command->interval_ms, 50);
  EXPECT_EQ(parse({"watch", "a", "/t1/x"}).command->interval_ms, 300);
}

TEST(CommandLine, RefusesWithAOneLineReason) {
  const std::vector<std::vector<std::string>> refused = {
      {},
      {"fetch", "a", "/t1/x"},
      {"read", "a", "/t1/x", "extra"},
      {"read", "a", "/t1/x", "--size"},
      {"read", "a", "/t1/x", "--size", "32768"},
      {"read", "a", "/t1/x", "--interval", "5"},
      {"read", "a", "/t1/x", "--verbose"},
      {"write", "a", "/t1/x"},
      {"write", "a", "/t1/x", "123", "--hex"},
      {"write", "a", "/t1/x", "1", "--size", "3"},
      {"display", "a", "17", "X"},
      {"display", "a", "1", "0123456789abcdefg"},
      {"display", "a", "1", "X", "--hex"},
      {"reset-display", "a", "x"},
      {"key", "a", "1", "3", "65"},
      {"key", "a", "1", "1", "256"},
      {"key", "a", "1", "1", "AB"},
      {"watch", "a", "/t1/x", "--interval", "0"},
      {"watch", "a", "/t1/x", "--formatted"},
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

TEST(CommandLine, AddressCountFollowsTheCommas) {
  EXPECT_EQ(address_count("127.0.0.1"), 1);
  EXPECT_EQ(address_count("10.0.0.1,10.0.0.2,10.0.0.3"), 3);
}

}  // namespace
}  // namespace vekx_tool

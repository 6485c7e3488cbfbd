// Whole numbers as the port variables, the command lines and the control
// commands take them: a value one past a bound, a sign, a blank or a digit
// of the wrong base must be refused, and no run of digits may wrap around.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>

#include "whole_number.h"

namespace vekx {
namespace {

TEST(WholeNumber, BoundsHoldOnBothSides) {
  EXPECT_EQ(whole_number("1", 1, 65535), 1);
  EXPECT_EQ(whole_number("65535", 1, 65535), 65535);
  EXPECT_EQ(whole_number("0", 1, 65535), std::nullopt);
  EXPECT_EQ(whole_number("65536", 1, 65535), std::nullopt);
  EXPECT_EQ(whole_number("0", 0, 0), 0);
  EXPECT_EQ(whole_number("0001701", 0, 65535), 1701);  // leading zeros are still decimal
  // A digit above a small highest (5 > 3) must not slip through the
  // overflow guard.
  EXPECT_EQ(whole_number("5", 0, 3), std::nullopt);
  EXPECT_EQ(whole_number("0xf", 0, 9, Digits::decimal_or_hex), std::nullopt);
}

TEST(WholeNumber, HexOnlyWhereTheCallerAllowsIt) {
  EXPECT_EQ(whole_number("0x6a5", 0, 65535, Digits::decimal_or_hex), 1701);
  EXPECT_EQ(whole_number("0X6A5", 0, 65535, Digits::decimal_or_hex), 1701);
  EXPECT_EQ(whole_number("0xffff", 0, 65535, Digits::decimal_or_hex), 65535);
  EXPECT_EQ(whole_number("0x10000", 0, 65535, Digits::decimal_or_hex), std::nullopt);
  EXPECT_EQ(whole_number("0x6a5", 0, 65535), std::nullopt);
  EXPECT_EQ(whole_number("6a5", 0, 65535, Digits::decimal_or_hex), std::nullopt);  // hex wants its 0x
  for (const char *text : {"0x", "0xg", "0x-1", "0x 1", "00x1"})
    EXPECT_EQ(whole_number(text, 0, 65535, Digits::decimal_or_hex), std::nullopt) << text;
}

// A number that wrapped past the largest long could land inside the range
// and be taken.
TEST(WholeNumber, NoRunOfDigitsOverflows) {
  const std::string largest = std::to_string(LONG_MAX);
  EXPECT_EQ(whole_number(largest, 0, LONG_MAX), LONG_MAX);
  EXPECT_EQ(whole_number(largest.substr(0, largest.size() - 1) + "8", 0, LONG_MAX), std::nullopt);
  EXPECT_EQ(whole_number(largest + "0", 0, LONG_MAX), std::nullopt);
  EXPECT_EQ(whole_number(std::string(60, '9'), 0, LONG_MAX), std::nullopt);
  EXPECT_EQ(whole_number("18446744073709551617", 0, 65535), std::nullopt);  // 2^64 + 1
  EXPECT_EQ(whole_number("0x" + std::string(17, 'f'), 0, LONG_MAX, Digits::decimal_or_hex), std::nullopt);
  char largest_hex[32];  // long is 32 bits on Windows, 64 here
  std::snprintf(largest_hex, sizeof largest_hex, "0x%lx", LONG_MAX);
  EXPECT_EQ(whole_number(largest_hex, 0, LONG_MAX, Digits::decimal_or_hex), LONG_MAX);
}

}  // namespace
}  // namespace vekx

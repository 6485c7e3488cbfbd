// The one whole-number parser behind the port variables, vekx's operands and
// options, and the simulator's control commands.
#include <gtest/gtest.h>

#include "whole_number.h"

namespace vekx_common {
namespace {

TEST(WholeNumber, TakesDigitsOnlyWithinTheRange) {
  EXPECT_EQ(whole_number("16", 1, 16), 16);
  EXPECT_EQ(whole_number("007", 0, 255), 7);
  EXPECT_EQ(whole_number("00000000000000000000000001", 1, 16), 1);  // no overflow on a long run of digits
  EXPECT_EQ(whole_number("0x141", 0, 0x1000, Digits::decimal_or_hex), 0x141);
  EXPECT_EQ(whole_number("0XfF", 0, 255, Digits::decimal_or_hex), 255);
  EXPECT_EQ(whole_number("12", 0, 255, Digits::decimal_or_hex), 12);
  // Each refused: out of range, a sign, a blank, trailing text, too many
  // digits to fit, hex where only decimal is taken, a bare prefix.
  for (const char *bad : {"17", "0", "-1", "+1", " 1", "1 ", "1x", "", "99999999999999999999", "0x10", "1e3"})
    EXPECT_FALSE(whole_number(bad, 1, 16)) << bad;
  for (const char *bad : {"0x", "0xg", "-0x1", "0x100"})
    EXPECT_FALSE(whole_number(bad, 0, 255, Digits::decimal_or_hex)) << bad;
}

}  // namespace
}  // namespace vekx_common

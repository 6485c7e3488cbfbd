// The address texts a caller registers with, and the list they come in.
#include <gtest/gtest.h>

#include <string>

#include "address_list.h"

namespace {

using vekx::Address;

TEST(ParseAddress, TheDotCountDecidesTheLayoutAndEveryRuleRefuses) {
  const std::pair<const char *, Address> good[] = {
      {"192.168.0.10", {192, 168, 0, 10}}, {"10.5", {10, 0, 0, 5}},     {"10.1.5", {10, 0, 1, 5}},
      {"010.001.0.7", {10, 1, 0, 7}},      {"1..2", {1, 0, 0, 2}},      {"127.0.0.1,junk", {127, 0, 0, 1}},
      {"000000000000000001.2", {1, 0, 0, 2}}};
  for (const auto &[text, bytes] : good) {
    Address a{};
    EXPECT_TRUE(vekx::parse_address(text, a)) << text;
    EXPECT_EQ(a, bytes) << text;
  }
  Address a{};
  for (const char *bad : {"10", "1.2.3.4.5", "192.168.0.256", " 1.2.3.4", "1.2.3.4 ", "1.2.3.4;5.6.7.8", "", ",1.2.3.4",
                          "-1.2.3.4", "1.2.3.a", "1/2.3.4", "99999999999999999999.1"})
    EXPECT_FALSE(vekx::parse_address(bad, a)) << '"' << bad << '"';
}

TEST(ParseAddressList, TakesAtMostCountAndSixteenAndKeepsWhatCameBeforeABadOne) {
  std::string twenty;
  for (int i = 1; i <= 20; ++i) twenty += (i > 1 ? "," : "") + std::string("10.0.0.") + std::to_string(i);
  vekx::AddressTable t{};
  ASSERT_TRUE(vekx::parse_address_list(twenty.c_str(), 20, t));
  EXPECT_EQ(t[15], (Address{10, 0, 0, 16}));
  t = {};
  ASSERT_TRUE(vekx::parse_address_list("192.168.0.1,192.168.0.2", 1, t));
  EXPECT_EQ(t[1], Address{});
  ASSERT_TRUE(vekx::parse_address_list("192.168.0.1,192.168.0.2", 5, t));
  EXPECT_EQ(t[1], (Address{192, 168, 0, 2}));
  EXPECT_EQ(t[2], Address{});
  t = {};
  EXPECT_FALSE(vekx::parse_address_list("192.168.0.1, 192.168.0.2", 2, t));
  EXPECT_EQ(t[0], (Address{192, 168, 0, 1}));
  EXPECT_FALSE(vekx::parse_address_list("192.168.0.1,", 2, t));
  EXPECT_TRUE(vekx::parse_address_list(nullptr, 0, t)) << "with count 0 the text is not read at all";
}

}  // namespace

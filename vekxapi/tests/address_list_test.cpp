#include <gtest/gtest.h>

#include <string>

#include "address_list.h"

namespace {

using vekx::Address;

TEST(ParseAddress, DotCountDecidesTheLayout) {
  Address a{};
  ASSERT_TRUE(vekx::parse_address("192.168.0.10", a));
  EXPECT_EQ(a, (Address{192, 168, 0, 10}));
  ASSERT_TRUE(vekx::parse_address("10.5", a));
  EXPECT_EQ(a, (Address{10, 0, 0, 5}));
  ASSERT_TRUE(vekx::parse_address("10.1.5", a));
  EXPECT_EQ(a, (Address{10, 0, 1, 5}));
  ASSERT_TRUE(vekx::parse_address("010.001.0.7", a));
  EXPECT_EQ(a, (Address{10, 1, 0, 7}));
  ASSERT_TRUE(vekx::parse_address("1..2", a));
  EXPECT_EQ(a, (Address{1, 0, 0, 2}));
  ASSERT_TRUE(vekx::parse_address("127.0.0.1,junk", a));  // ends at the comma
  EXPECT_EQ(a, (Address{127, 0, 0, 1}));
  ASSERT_TRUE(vekx::parse_address("000000000000000001.2", a));  // many leading zeros
  EXPECT_EQ(a, (Address{1, 0, 0, 2}));
}

TEST(ParseAddress, RefusesWhatBreaksARule) {
  Address a{};
  for (const char *bad : {"10", "1.2.3.4.5", "192.168.0.256", " 1.2.3.4", "1.2.3.4 ", "1.2.3.4;5.6.7.8", "", ",1.2.3.4",
                          "-1.2.3.4", "1.2.3.a", "1/2.3.4", "99999999999999999999.1"})
    EXPECT_FALSE(vekx::parse_address(bad, a)) << '"' << bad << '"';
}

TEST(ParseAddressList, TakesAtMostCountAndAtMostSixteen) {
  vekx::AddressTable t{};
  ASSERT_TRUE(vekx::parse_address_list("192.168.0.1,192.168.0.2", 2, t));
  EXPECT_EQ(t[0], (Address{192, 168, 0, 1}));
  EXPECT_EQ(t[1], (Address{192, 168, 0, 2}));

  t = {};
  ASSERT_TRUE(vekx::parse_address_list("192.168.0.1,192.168.0.2", 1, t));
  EXPECT_EQ(t[1], Address{});

  t = {};
  ASSERT_TRUE(vekx::parse_address_list("192.168.0.1,192.168.0.2", 5, t));
  EXPECT_EQ(t[1], (Address{192, 168, 0, 2}));
  EXPECT_EQ(t[2], Address{});

  std::string twenty;
  for (int i = 1; i <= 20; ++i) twenty += (i > 1 ? "," : "") + std::string("10.0.0.") + std::to_string(i);
  t = {};
  ASSERT_TRUE(vekx::parse_address_list(twenty.c_str(), 20, t));
  EXPECT_EQ(t[15], (Address{10, 0, 0, 16}));
}

TEST(ParseAddressList, KeepsEntriesBeforeABadAddress) {
  vekx::AddressTable t{};
  EXPECT_FALSE(vekx::parse_address_list("192.168.0.1,", 2, t));
  EXPECT_EQ(t[0], (Address{192, 168, 0, 1}));
  t = {};
  EXPECT_FALSE(vekx::parse_address_list("192.168.0.1, 192.168.0.2", 2, t));
  EXPECT_EQ(t[0], (Address{192, 168, 0, 1}));
  // With count 0 the text is not read at all, not even a null one.
  EXPECT_TRUE(vekx::parse_address_list(nullptr, 0, t));
}

}  // namespace

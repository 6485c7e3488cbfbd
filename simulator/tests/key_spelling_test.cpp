// The terminator keys as a control command may type them, checked against
// the one table of key codes and names the console shows.
#include <gtest/gtest.h>

#include "control_text.h"
#include "terminator_keys.h"

namespace vekxsim::control_text {
namespace {

// A key whose typed name lost its code (or found another's) would key the
// wrong terminator into /t1/bx252.
TEST(KeySpelling, EveryKeyByItsNameAndItsShortName) {
  for (const auto &k : vekx_common::terminator_keys) {
    const std::string name = k.name;
    EXPECT_EQ(terminator_code(name), k.code) << name;
    std::string upper = name;
    for (char &c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(terminator_code(upper), k.code) << upper;
    if (name.ends_with(" Key")) {
      EXPECT_EQ(terminator_code(name.substr(0, name.size() - 4)), k.code) << name;
    }
  }
}

TEST(KeySpelling, CommonOtherSpellingsMeanTheirKey) {
  const std::pair<const char *, int> rows[] = {
      {"return", 8}, {"Enter", 8}, {"left", 9},  {"Right Arrow", 10}, {"ins", 11},       {"del", 14},
      {"up", 15},    {"down", 16}, {"PgUp", 17}, {"pgdn", 18},        {"page down", 18}, {"42", 42},
  };
  for (const auto &[typed, code] : rows) EXPECT_EQ(terminator_code(typed), code) << typed;
}

TEST(KeySpelling, WhatNamesNoKeyIsRefused) {
  for (const char *typed : {"", "key", "nokey", "f13", "enter key key", "256", "pg", "returnkey x"})
    EXPECT_EQ(terminator_code(typed), std::nullopt) << typed;
}

}  // namespace
}  // namespace vekxsim::control_text

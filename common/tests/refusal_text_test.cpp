// How vekx and vekxsim word a refused command line.
#include <gtest/gtest.h>

#include <array>

#include "refusal_text.h"

namespace vekx_common {
namespace {

TEST(RefusalText, NamesTheValueAndItsRange) {
  std::string why;
  EXPECT_FALSE(number_in_range("--port", "70000", 0, 65535, why));
  EXPECT_EQ(why, "--port 70000: must be a number from 0 to 65535");
  EXPECT_FALSE(number_in_range("NODE", "", 1, 16, why));
  EXPECT_EQ(why, "NODE \"\": must be a number from 1 to 16");
  EXPECT_EQ(number_in_range("CODE", "0x41", 0, 255, why), 0x41);
  EXPECT_EQ(refusal_lines("vekxsim", "x"), "vekxsim: x\nsee vekxsim --help\n");
}

// A slip of typing finds the option meant; a word far from every option
// finds none rather than a wrong one.
TEST(RefusalText, SuggestsOnlyACloseWord) {
  constexpr std::array<std::string_view, 6> known{"--quiet", "--port", "--node", "--no-stdin", "--formatted", "--help"};
  const struct {
    const char *typed;
    const char *meant;
  } rows[] = {
      {"--quite", "--quiet"},          // two letters swapped
      {"--formated", "--formatted"},   // one missing
      {"--portt", "--port"},           // one extra
      {"--mode", "--node"},            // one wrong
      {"--no-std", "--no-stdin"},      // the only option it begins
      {"--no", ""},                    // begins two: no guess
      {"--weight", ""},                // far from all
      {"--x", ""},                     // too short to guess at
  };
  for (const auto &row : rows) EXPECT_EQ(nearest_word(row.typed, known), row.meant) << row.typed;
  EXPECT_EQ(unknown_word("option", "--quite", known), "unknown option --quite (did you mean --quiet?)");
  EXPECT_EQ(unknown_word("command", "fetch", known), "unknown command fetch");
}

}  // namespace
}  // namespace vekx_common

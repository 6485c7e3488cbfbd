// The guess at what an unknown word of a command line meant: a wrong guess
// sends the user to an option they did not want. (The words for a number
// out of its range are checked through vekx's and vekxsim's parsers.)
#include <gtest/gtest.h>

#include <array>
#include <string_view>

#include "refusal_text.h"

namespace vekx_common {
namespace {

constexpr std::array<std::string_view, 8> options{"--help", "--version",  "--quiet", "--formatted",
                                                  "--size", "--interval", "--csv",   "--count"};

TEST(NearestWord, OneSlipOfTypingFindsTheWord) {
  const std::pair<const char *, const char *> rows[] = {
      {"--quite", "--quiet"},      // two letters swapped
      {"--verison", "--version"},  // swapped in the middle
      {"--hlp", "--help"},         // a letter missing
      {"--hellp", "--help"},       // a letter extra
      {"--sise", "--size"},        // a letter wrong
      {"--form", "--formatted"},   // the start of one word only
      {"--int", "--interval"},    {"--cvs", "--csv"},
  };
  for (const auto &[typed, meant] : rows) EXPECT_EQ(nearest_word(typed, options), meant) << typed;
}

TEST(NearestWord, NoGuessWhereNoneIsClose) {
  for (const char *typed : {"--c", "--", "--zzzzzz", "--frobnicate", "-q", "x"})
    EXPECT_EQ(nearest_word(typed, options), "") << typed;
  // One slip in a two-letter word is most of the word.
  const std::array<std::string_view, 1> short_word{"on"};
  EXPECT_EQ(nearest_word("ox", short_word), "");
  EXPECT_EQ(nearest_word("anything", std::span<const std::string_view>()), "");
}

}  // namespace
}  // namespace vekx_common

// The words for a refused command line: the range a number must lie in, and
// the guess at what an unknown word meant. A wrong guess sends the user to
// an option they did not want.
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

TEST(NumberInRange, TheRefusalNamesTheValueAndTheRange) {
  std::string why;
  EXPECT_EQ(number_in_range("--port", "0x6a5", 0, 65535, why), 1701);
  EXPECT_EQ(why, "");
  EXPECT_EQ(number_in_range("--port", "70000", 0, 65535, why), std::nullopt);
  EXPECT_EQ(why, "--port 70000: must be a number from 0 to 65535");
  EXPECT_EQ(number_in_range("--port", "", 0, 65535, why), std::nullopt);
  EXPECT_EQ(why, "--port \"\": must be a number from 0 to 65535");
}

}  // namespace
}  // namespace vekx_common

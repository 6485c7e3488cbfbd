// The words of vekx's and the console's messages: the causes vekx's program
// tests do not reach, and the guess at an unknown word of a command line (a
// wrong one sends the user to an option they did not want). Numbers out of
// range are worded in vekx's and vekxsim's parser tests.
#include <gtest/gtest.h>

#include <array>
#include <string_view>

#include "loopback_udp.h"
#include "refusal_text.h"
#include "result_meanings.h"
#include "result_text.h"

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

TEST(ResultText, NamesTheCauseTheCallTells) {
  vekx_test::use_ports(1701, 1801);
  EXPECT_EQ(describe_result(10048, ResultOrigin::library, {.node = 2}),
            "10048 local UDP port 1802 is in use by another program (a console, vekx or vekxsim?); set VEKX_LOCAL_PORT "
            "to a free port");
  EXPECT_EQ(describe_result(4, ResultOrigin::library, {.field = "/tA/x"}),
            "4 bad node: /tA/x has the node character 'A'; nodes 1 to 16 are 1 to 9 and : to @");
  EXPECT_EQ(describe_result(2, ResultOrigin::library, {.field = "/t1wt101000/x"}),
            "2 bad argument: /t1wt101000/x has one '/' in its first 10 characters, all that is sent; a field name "
            "looks like /t1/wt101");
  EXPECT_EQ(describe_result(1, ResultOrigin::read_or_write, {.field = "/t1/x"}),
            "1 no usable answer or terminal status 1");
}

// Every result the library documents has its words and, after a colon,
// what to do.
TEST(ResultMeanings, EveryLibraryResultHasARow) {
  for (int code : {0, -1, -2, -4, 1, 2, 4, 5}) {
    const ResultMeaning *row = result_meaning(Origin::library, code);
    ASSERT_NE(row, nullptr) << code;
    EXPECT_NE(std::string(row->details).find(':'), std::string::npos) << code;
  }
}

}  // namespace
}  // namespace vekx_common

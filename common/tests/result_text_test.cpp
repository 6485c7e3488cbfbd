// Results as vekx and the console word them: the causes vekx's program
// tests do not reach (they check the rest through the program).
#include <gtest/gtest.h>

#include "loopback_udp.h"
#include "result_meanings.h"
#include "result_text.h"

namespace vekx_common {
namespace {

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

// Results as vekx and the console word them, with the cause each names.
#include <gtest/gtest.h>

#include <cstdlib>

#include "result_meanings.h"
#include "result_text.h"

namespace vekx_common {
namespace {

class ResultText : public ::testing::Test {
 protected:
  void SetUp() override {
    ::unsetenv("VEKX_TERMINAL_PORT");
    ::setenv("VEKX_LOCAL_PORT", "1801", 1);
  }
  void TearDown() override { ::unsetenv("VEKX_LOCAL_PORT"); }
};

TEST_F(ResultText, NamesTheCauseTheCallTells) {
  const CallContext second_node{.address_list = "10.0.0.1,127.0.0.1", .field = "/t2/x", .node = 2};
  const struct {
    std::int16_t result;
    ResultOrigin origin;
    CallContext context;
    const char *text;
  } rows[] = {
      {1, ResultOrigin::library, second_node, "1 no usable answer from 127.0.0.1:1701"},
      {1, ResultOrigin::one_way, {.address_list = "127.0.0.2", .node = 1}, "1 not sent to 127.0.0.2:1701"},
      {0, ResultOrigin::one_way, {}, "0 sent (no reply expected)"},
      {10048, ResultOrigin::library, second_node,
       "10048 local UDP port 1802 is in use by another program (a console, vekx or vekxsim?); set VEKX_LOCAL_PORT to "
       "a free port"},
      {10038, ResultOrigin::library, {.address_list = "127.0.0.1", .field = "/t3/x", .node = 3},
       "10038 node 3 has no address in 127.0.0.1"},
      {2, ResultOrigin::library, {.field = "t1/wt101"},
       "2 bad argument: t1/wt101 has one '/'; a field name looks like /t1/wt101"},
      {2, ResultOrigin::library, {.field = "/t1wt101000/x"},
       "2 bad argument: /t1wt101000/x has one '/' in its first 10 characters, all that is sent; a field name looks "
       "like /t1/wt101"},
      {4, ResultOrigin::library, {.field = "/x1/wt101"}, "4 bad node: /x1/wt101 has the node letter 'x' where t or T belongs"},
      {4, ResultOrigin::library, {.field = "/tA/wt101"},
       "4 bad node: /tA/wt101 has the node character 'A'; nodes 1 to 16 are 1 to 9 and : to @"},
      {4, ResultOrigin::library, {.field = "wt101"}, "4 bad node: wt101 has no '/'; a field name looks like /t1/wt101"},
      {4, ResultOrigin::read_or_write, {.field = "/t1/x"}, "terminal status 4 (vekxsim: another node's field; a "
                                                           "terminal's status bytes are its own)"},
      {1, ResultOrigin::read_or_write, {.field = "/t1/x"}, "1 no usable answer or terminal status 1"},
      {200, ResultOrigin::terminal, {}, "terminal status 200"},
      {5, ResultOrigin::library, {}, "5 the address breaks the rules"},
      {10065, ResultOrigin::library, {}, "10065 host unreachable"},
      {10099, ResultOrigin::library, {}, "10099 sockets error"},
      {-3, ResultOrigin::library, {}, "-3 unknown result"},
  };
  for (const auto &row : rows) EXPECT_EQ(describe_result(row.result, row.origin, row.context), row.text);
}

TEST_F(ResultText, NamesABadPortVariableOfARegistration) {
  ::setenv("VEKX_LOCAL_PORT", "abc", 1);
  EXPECT_EQ(describe_result(2, ResultOrigin::library, {.address_list = "127.0.0.1"}),
            "2 bad argument: VEKX_LOCAL_PORT=abc is not a port number from 1 to 65520");
}

// Every result the library documents has its words and what to do.
TEST(ResultMeanings, EveryLibraryResultHasARow) {
  for (int code : {0, -1, -2, -4, 1, 2, 4, 5}) {
    const ResultMeaning *row = result_meaning(Origin::library, code);
    ASSERT_NE(row, nullptr) << code;
    EXPECT_NE(std::string(row->details).find(':'), std::string::npos) << "what to do, after a colon: " << code;
  }
  EXPECT_STREQ(result_meaning(Origin::one_way, 1)->words, "not sent");
}

}  // namespace
}  // namespace vekx_common

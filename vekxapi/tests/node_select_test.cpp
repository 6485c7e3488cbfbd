#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "message_record.h"
#include "node_select.h"

namespace {

vekx::NodeSelection select(const char *target) {
  std::vector<std::uint8_t> rec(vekx::record_overhead, 0);
  vekx::put_request_header(rec, {vekx::ReplyMode::awaits_reply, 4097, "/w1/w0001", target, 32, 0});
  return vekx::select_node(rec);
}

struct Case {
  const char *name;
  int result;
  int index;
};

class NodeSelect : public ::testing::TestWithParam<Case> {};

TEST_P(NodeSelect, SelectsOrRefuses) {
  const Case c = GetParam();
  vekx::NodeSelection s = select(c.name);
  EXPECT_EQ(s.result, c.result) << c.name;
  if (c.result == 0) {
    EXPECT_EQ(s.node_index, c.index) << c.name;
  }
}

INSTANTIATE_TEST_SUITE_P(Names, NodeSelect,
                         ::testing::Values(Case{"/t1/bx297", 0, 0}, Case{"/T3/abc", 0, 2}, Case{"/t@/abc", 0, 15},
                                           Case{"/t:/abc", 0, 9}, Case{"/t0/abc", 4, 0}, Case{"/tA/abc", 4, 0},
                                           Case{"/x1/abc", 4, 0}, Case{"t1/ab/c", 4, 0}, Case{"t1/abc", 2, 0},
                                           Case{"/t1abc", 2, 0}, Case{"bx297", 4, 0}, Case{"", 4, 0},
                                           Case{"//t1", 4, 0}, Case{"/t1", 2, 0},
                                           // The second '/' may lie beyond the name: nothing behind
                                           // the node character is examined.
                                           Case{"/t1abcdefg", 2, 0}),
                         [](const ::testing::TestParamInfo<Case> &info) {
                           // The name as a test name: letters and digits, others by their code.
                           std::string name = "n" + std::to_string(info.index) + "_";
                           for (const char *p = info.param.name; *p; ++p)
                             name += std::isalnum(static_cast<unsigned char>(*p)) ? std::string(1, *p)
                                                                                  : std::to_string(int(*p));
                           return name;
                         });

TEST(NodeSelectScan, SlashInTheOperationByteCountsAsTheSecond) {
  std::vector<std::uint8_t> rec(vekx::record_overhead, 0);
  vekx::put_request_header(rec, {vekx::ReplyMode::awaits_reply, 4097, "/w1/w0001", "/t2abcdefg", 32, 0});
  EXPECT_EQ(vekx::select_node(rec).result, 2);
  rec[vekx::offset::operation] = '/';
  vekx::NodeSelection s = vekx::select_node(rec);
  EXPECT_EQ(s.result, 0);
  EXPECT_EQ(s.node_index, 1);
}

TEST(NodeSelectScan, SlashesAtTheEndOfTheScanDoNotReadBeyondIt) {
  std::vector<std::uint8_t> rec(vekx::record_overhead, 0);
  vekx::put_request_header(rec, {vekx::ReplyMode::awaits_reply, 4097, "/w1/w0001", "abcdefghij", 32, 0});
  rec[vekx::offset::operation] = '/';
  rec[vekx::offset::status] = '/';
  EXPECT_EQ(vekx::select_node(rec).result, 4);  // the letter is the second '/'
}

}  // namespace

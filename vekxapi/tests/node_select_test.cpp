// Which node a request's target name selects, or which result refuses it.
#include <gtest/gtest.h>

#include <vector>

#include "message_record.h"
#include "node_select.h"

namespace {

std::vector<std::uint8_t> request_to(const char *target) {
  std::vector<std::uint8_t> rec(vekx::record_overhead, 0);
  vekx::put_request_header(rec, {vekx::ReplyMode::awaits_reply, 4097, "/w1/w0001", target, 32, 0});
  return rec;
}

TEST(NodeSelect, SelectsOrRefusesEachName) {
  struct Case {
    const char *name;
    int result, index;
  };
  // The second '/' may lie beyond the name: nothing behind the node
  // character is examined.
  for (const Case &c : {Case{"/t1/bx297", 0, 0}, Case{"/T3/abc", 0, 2}, Case{"/t@/abc", 0, 15}, Case{"/t:/abc", 0, 9},
                        Case{"/t0/abc", 4, 0}, Case{"/tA/abc", 4, 0}, Case{"/x1/abc", 4, 0}, Case{"t1/ab/c", 4, 0},
                        Case{"t1/abc", 2, 0}, Case{"/t1abc", 2, 0}, Case{"bx297", 4, 0}, Case{"", 4, 0},
                        Case{"//t1", 4, 0}, Case{"/t1", 2, 0}, Case{"/t1abcdefg", 2, 0}}) {
    const vekx::NodeSelection s = vekx::select_node(request_to(c.name));
    EXPECT_EQ(s.result, c.result) << c.name;
    if (c.result == 0) {
      EXPECT_EQ(s.node_index, c.index) << c.name;
    }
  }
}

TEST(NodeSelect, TheScanTakesInTheOperationAndStatusBytesAndNoMore) {
  auto rec = request_to("/t2abcdefg");
  EXPECT_EQ(vekx::select_node(rec).result, 2);
  rec[vekx::offset::operation] = '/';
  EXPECT_EQ(vekx::select_node(rec).node_index, 1) << "a '/' in the operation byte counts as the second";
  rec = request_to("abcdefghij");
  rec[vekx::offset::operation] = rec[vekx::offset::status] = '/';
  EXPECT_EQ(vekx::select_node(rec).result, 4) << "the letter is the second '/'";
}

}  // namespace

// The protocol code's pure parts: reply matching, the node a target name
// selects, the address texts a caller registers with (whole requests are
// library_test.cpp's), and the Windows clock's 64-bit reading of the 32-bit
// tick count across its wrap, a count read late and a long pause.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "address_list.h"
#include "message_record.h"
#include "node_select.h"
#include "platform/tick_count.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using vekx::Address;

// A read request for target, with no data.
Bytes request_to(const char *target) {
  Bytes rec(vekx::record_overhead, 0);
  vekx::put_request_header(rec, {vekx::ReplyMode::awaits_reply, 4097, "/w1/w0001", target, 32, 0});
  return rec;
}

TEST(MessageRecord, NameComparisonStopsAtASharedZeroOrAfterTenBytes) {
  const std::uint8_t a[10] = {'/', 't', '1', '/', 'x', 0, 'q', 'q', 'q', 'q'};
  const std::uint8_t b[10] = {'/', 't', '1', '/', 'x', 0, 'r', 'r', 'r', 'r'};
  const std::uint8_t c[10] = {'/', 't', '1', '/', 'y', 0, 0, 0, 0, 0};
  const std::uint8_t full1[10] = {'/', 't', '1', '/', 'a', 'b', 'c', 'd', 'e', 'f'};
  const std::uint8_t full2[10] = {'/', 't', '1', '/', 'a', 'b', 'c', 'd', 'e', 'g'};
  EXPECT_TRUE(vekx::names_equal(a, b));
  EXPECT_FALSE(vekx::names_equal(a, c));
  EXPECT_TRUE(vekx::names_equal(full1, full1));
  EXPECT_FALSE(vekx::names_equal(full1, full2));
}

TEST(MessageRecord, ReplyAcceptanceLooksAtTypeSequenceAndNameOnly) {
  Bytes request = request_to("/t1/bx297");
  request[26] = 7;
  Bytes reply(600, 0);
  std::copy(request.begin(), request.begin() + 29, reply.begin());
  vekx::put_name(reply, vekx::offset::source_name, "/t1/bx297");
  vekx::put_name(reply, vekx::offset::target_name, "/w1/w0001");
  // Mode, marker, target and operation are not examined (a wrong type,
  // sequence or name is refused: Exchange.DecoysAreIgnoredAndTheRealReplyAccepted).
  Bytes loose = reply;
  loose[0] = 9;
  loose[1] = 9;
  loose[14] = 'Z';
  loose[24] = 99;
  EXPECT_TRUE(vekx::is_reply_to(loose, request));
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

TEST(ParseAddress, TheDotCountDecidesTheLayoutAndEveryRuleRefuses) {
  const std::pair<const char *, Address> good[] = {
      {"192.168.0.10", {192, 168, 0, 10}},   {"10.5", {10, 0, 0, 5}}, {"10.1.5", {10, 0, 1, 5}},
      {"010.001.0.7", {10, 1, 0, 7}},        {"1..2", {1, 0, 0, 2}},  {"127.0.0.1,junk", {127, 0, 0, 1}},
      {"000000000000000001.2", {1, 0, 0, 2}}};
  for (const auto &[text, bytes] : good) {
    Address a{};
    EXPECT_TRUE(vekx::parse_address(text, a)) << text;
    EXPECT_EQ(a, bytes) << text;
  }
  Address a{};
  for (const char *bad : {"10", "1.2.3.4.5", "192.168.0.256", " 1.2.3.4", "1.2.3.4 ", "1.2.3.4;5.6.7.8", "", ",1.2.3.4",
                          "-1.2.3.4", "1.2.3.a", "1/2.3.4", "99999999999999999999.1"})
    EXPECT_FALSE(vekx::parse_address(bad, a)) << '"' << bad << '"';
}

TEST(ParseAddressList, TakesAtMostCountAndSixteen) {
  std::string twenty;
  for (int i = 1; i <= 20; ++i) twenty += (i > 1 ? "," : "") + std::string("10.0.0.") + std::to_string(i);
  vekx::AddressTable t{};
  ASSERT_TRUE(vekx::parse_address_list(twenty.c_str(), 20, t));
  EXPECT_EQ(t[15], (Address{10, 0, 0, 16}));
  t = {};
  ASSERT_TRUE(vekx::parse_address_list("192.168.0.1,192.168.0.2", 1, t));
  EXPECT_EQ(t[1], Address{});
  ASSERT_TRUE(vekx::parse_address_list("192.168.0.1,192.168.0.2", 5, t));
  EXPECT_EQ(std::pair(t[1], t[2]), std::pair(Address{192, 168, 0, 2}, Address{}));
}

struct Reading {
  const char *what;
  std::uint64_t last;
  std::uint32_t tick;
  std::uint64_t want;
};

constexpr std::uint64_t kTurn = std::uint64_t{1} << 32;

const Reading kReadings[] = {
    {"the first reading is the count", 0, 1234, 1234},
    {"the count moves on", 1000, 1500, 1500},
    {"across the count's wrap the clock goes on", 0xFFFFFF00u, 0x100, kTurn + 0x100},
    {"in the second turn only the low 32 bits of the last reading count", kTurn + 0x100, 0x200, kTurn + 0x200},
    {"a count read earlier by another caller leaves the clock", 5000, 4990, 5000},
    {"so does one from before the wrap", kTurn + 5, 0xFFFFFFF0u, kTurn + 5},
    {"a minute behind is still behind", 100000, 100000 - 60000, 100000},
    {"40 days without a reading move the clock 40 days on", 1000, 1000 + 3456000000u, 1000 + 3456000000ull},
};

TEST(TickCount, ReadingsFollowTheCountWithoutWrappingOrRunningBack) {
  for (const Reading &r : kReadings) EXPECT_EQ(vekx::platform::extended_tick(r.last, r.tick), r.want) << r.what;
}

}  // namespace

// Reply matching, byte by byte. What whole requests look like
// on the wire is checked against bytes written by hand in wire_test.cpp.
#include <gtest/gtest.h>

#include <vector>

#include "message_record.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes request_bytes(vekx::RequestHeader h, Bytes data = {}) {
  Bytes rec(data.size() + vekx::record_overhead, 0xEE);
  vekx::put_request_header(rec, h);
  std::copy(data.begin(), data.end(), rec.begin() + vekx::offset::data);
  rec.back() = 0;
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
  Bytes request = request_bytes({vekx::ReplyMode::awaits_reply, 4097, "/w1/w0001", "/t1/bx297", 32, 0});
  request[26] = 7;
  Bytes reply(600, 0);
  std::copy(request.begin(), request.begin() + 29, reply.begin());
  vekx::put_name(reply, vekx::offset::source_name, "/t1/bx297");
  vekx::put_name(reply, vekx::offset::target_name, "/w1/w0001");
  EXPECT_TRUE(vekx::is_reply_to(reply, request));
  // Mode, marker, target and operation are not examined (a wrong type,
  // sequence or name is refused: Exchange.DecoysAreIgnoredAndTheRealReplyAccepted).
  Bytes loose = reply;
  loose[0] = 9;
  loose[1] = 9;
  loose[14] = 'Z';
  loose[24] = 99;
  EXPECT_TRUE(vekx::is_reply_to(loose, request));
}

}  // namespace

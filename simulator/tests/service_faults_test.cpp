// The fault settings whose failure would let the library's tests pass
// without exercising anything (silent, drop and field faults are covered
// through the control commands), and the traffic record and its log lines.
#include <gtest/gtest.h>

#include <algorithm>

#include "raw_udp.h"
#include "shared_data_service.h"
#include "traffic_line.h"

using namespace vekx_test;
using vekxsim::Decoy;
using vekxsim::SharedDataService;

namespace {

class ServiceFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    service.fields().set("/t1/bx297", {7});
    service.start();
  }
  SharedDataService service{"127.0.0.1", 0, 1};
  RawClient client;
};

TEST_F(ServiceFaults, ReplyDelayHoldsTheReplyBack) {
  service.faults().set_reply_delay(300ms);
  const auto sent = std::chrono::steady_clock::now();
  client.send(read_request("/t1/bx297", 1), service.port());
  EXPECT_FALSE(client.receive(100ms));  // not there early
  const auto reply = client.receive(2000ms);
  ASSERT_TRUE(reply);
  EXPECT_GE(std::chrono::steady_clock::now() - sent, 300ms);
  EXPECT_EQ(value_of(*reply), Bytes{7});
}

TEST_F(ServiceFaults, DecoysComeFirstThenTheRealReply) {
  service.faults().add_decoy(Decoy::wrong_type);
  service.faults().add_decoy(Decoy::wrong_sequence);
  service.faults().add_decoy(Decoy::wrong_name);
  client.send(read_request("/t1/bx297", 40), service.port());
  const auto a = client.receive(), b = client.receive(), c = client.receive(), real = client.receive();
  ASSERT_TRUE(a && b && c && real);
  EXPECT_EQ(type_of(*a), 4096);
  EXPECT_EQ(sequence_of(*a), 40);
  EXPECT_EQ(sequence_of(*b), 39);
  EXPECT_EQ(std::string(c->begin() + 4, c->begin() + 13), "/t1/zzzzz");
  EXPECT_EQ(type_of(*real), 4097);
  EXPECT_EQ(sequence_of(*real), 40);
  EXPECT_EQ(std::string(real->begin() + 4, real->begin() + 13), "/t1/bx297");
  // Only one of each: the next reply comes alone.
  ASSERT_TRUE(client.exchange(read_request("/t1/bx297", 41), service.port()));
  EXPECT_FALSE(client.receive(100ms));
}

TEST_F(ServiceFaults, OversizeAndClaimedLengthApplyToTheNextReplyOnly) {
  service.faults().oversize_next_reply(700);
  auto reply = client.exchange(read_request("/t1/bx297", 1), service.port());
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->size(), 700u);
  EXPECT_EQ(length_of(*reply), 1);
  service.faults().claim_length_next_reply(500);
  reply = client.exchange(read_request("/t1/bx297", 2), service.port());
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->size(), 31u);
  EXPECT_EQ(length_of(*reply), 500);
  reply = client.exchange(read_request("/t1/bx297", 3), service.port());
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->size(), 31u);
  EXPECT_EQ(length_of(*reply), 1);
}

TEST_F(ServiceFaults, TrafficRecordsBothDirectionsInOrderAndClears) {
  ASSERT_TRUE(client.exchange(read_request("/t1/bx297", 1), service.port()));
  ASSERT_TRUE(client.exchange(write_request("/t1/bx297", {1}, 2), service.port()));
  auto all = service.traffic().all();
  ASSERT_EQ(all.size(), 4u);
  EXPECT_TRUE(all[0].inbound);
  EXPECT_FALSE(all[1].inbound);
  EXPECT_EQ(sequence_of(all[3].bytes), 2);
  EXPECT_LE(all[0].when, all[3].when);
  EXPECT_EQ(service.traffic().inbound().size(), 2u);
  service.traffic().clear();
  EXPECT_TRUE(service.traffic().all().empty());
  EXPECT_EQ(service.traffic().wait_inbound(1, 50ms), 0u);  // the timeout runs out with nothing seen
}

TEST(TrafficLine, DecodesEachFieldOfARequestAndAReply) {
  vekxsim::TrafficRecord in{std::chrono::steady_clock::now(), true, 1701, write_request("/t1/Lit01", {'A', 0x01}, 9)};
  const std::string line = vekxsim::traffic_line(in, std::chrono::system_clock::now());
  EXPECT_NE(
      line.find(" IN  :1701 field-access write /w1/w0001 -> /t1/Lit01 seq=9 status=0 len=2 data=\"A.\" hex=41 01"),
      std::string::npos)
      << line;
  EXPECT_EQ(line[2], ':');
  EXPECT_EQ(line[8], '.');
  EXPECT_EQ(vekxsim::describe_datagram(record(1072, 0, "/t1/cnpl1", 3, {1, 'H'}, 2)),
            "display-text none /w1/w0001 -> /t1/cnpl1 seq=3 status=0 len=2 data=\".H\" hex=01 48");
  EXPECT_EQ(vekxsim::describe_datagram(record(7, 34, "/t1/x", 3)).substr(0, 21), "type-7 formatted-read");
}

TEST(TrafficLine, MalformedDatagramsAreNamedNotOverread) {
  EXPECT_EQ(vekxsim::describe_datagram(Bytes{1, 2, 3}),
            "malformed: short datagram (3 bytes, at least 30 needed) hex=01 02 03");
  Bytes bad_marker = read_request("/t1/a");
  bad_marker[1] = 0;
  EXPECT_NE(vekxsim::describe_datagram(bad_marker).find("wrong marker 0"), std::string::npos);
  Bytes long_claim = read_request("/t1/a");
  long_claim[27] = 1;  // 1 byte claimed, the datagram ends with the terminator
  EXPECT_NE(vekxsim::describe_datagram(long_claim).find("data_length 1 beyond"), std::string::npos);
  EXPECT_NE(vekxsim::describe_datagram(Bytes(601, 100)).find("oversized datagram (601 bytes"), std::string::npos);
  const std::string long_bad = vekxsim::describe_datagram(Bytes(40, 0));  // marker 0
  EXPECT_EQ(long_bad.substr(long_bad.size() - 4), " ...");
  EXPECT_EQ(long_bad.find(std::string(32 * 3 + 1, ' ')), std::string::npos);
  EXPECT_EQ(std::count(long_bad.begin(), long_bad.end(), ' '), 6 + 31 + 1);  // words, 32 bytes, the "..."
}

}  // namespace

// The decoys, whose failure would let the library's tests pass without
// exercising anything (the other faults show in those tests' own figures),
// and the traffic log lines.
#include <gtest/gtest.h>

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

TEST_F(ServiceFaults, DecoysComeFirstThenTheRealReplyOnce) {
  for (Decoy d : {Decoy::wrong_type, Decoy::wrong_sequence, Decoy::wrong_name}) service.faults().add_decoy(d);
  client.send(read_request("/t1/bx297", 40), service.port());
  const auto a = client.receive(), b = client.receive(), c = client.receive(), real = client.receive();
  ASSERT_TRUE(a && b && c && real);
  EXPECT_EQ(type_of(*a), 4096);
  EXPECT_EQ(sequence_of(*b), 39);
  EXPECT_EQ(std::string(c->begin() + 4, c->begin() + 13), "/t1/zzzzz");
  EXPECT_EQ(type_of(*real), 4097);
  EXPECT_EQ(sequence_of(*real), 40);
  ASSERT_TRUE(client.exchange(read_request("/t1/bx297", 41), service.port()));
  EXPECT_FALSE(client.receive(100ms)) << "the next reply comes alone";
}

TEST(TrafficLine, DecodesEachFieldAndNamesMalformedDatagramsWithoutOverreading) {
  vekxsim::TrafficRecord in{std::chrono::steady_clock::now(), true, 1701, write_request("/t1/Lit01", {'A', 0xF6}, 9)};
  const std::string line = vekxsim::traffic_line(in, std::chrono::system_clock::now());
  EXPECT_NE(line.find(" IN  :1701 field-access write /w1/w0001 -> /t1/Lit01 seq=9 status=0 len=2 data=\"A\xC3\xB6\" "
                      "hex=41 f6"),
            std::string::npos)
      << line;
  Bytes long_claim = read_request("/t1/a");
  long_claim[27] = 1;  // 1 byte claimed, the datagram ends with the terminator
  EXPECT_NE(vekxsim::describe_datagram(long_claim).find("data_length 1 beyond"), std::string::npos);
  const std::string long_bad = vekxsim::describe_datagram(Bytes(40, 0));  // marker 0
  EXPECT_EQ(long_bad.substr(long_bad.size() - 4), " ...") << "only the first 32 bytes";
}

}  // namespace

// The shared-data service on the wire: replies checked against bytes written
// out by hand.
#include <gtest/gtest.h>

#include <mutex>
#include <system_error>

#include "raw_udp.h"
#include "service_limits.h"
#include "shared_data_service.h"
#include "vekxapi.h"

using namespace vekx_test;
using vekxsim::SharedDataService;

namespace {

class ServiceWire : public ::testing::Test {
 protected:
  void SetUp() override { service.start(); }
  // Declared before the service so that they outlive its thread.
  std::mutex log_mutex;
  std::vector<std::string> log_lines;
  SharedDataService service{"127.0.0.1", 0, 1};
  RawClient client;
};

TEST_F(ServiceWire, ReadOfOneByteFieldGivesTheGoldenReply) {
  service.fields().set("/t1/bx297", {0xAB});
  const Bytes request = {0x00, 0x64, 0x01, 0x10, '/', 'w', '1', '/', 'w',  '0',  '0',  '0',  '1',  0x00, '/',
                         't',  '1',  '/',  'b',  'x', '2', '9', '7', 0x00, 0x20, 0x00, 0x05, 0x00, 0x00, 0x00};
  ASSERT_EQ(request, read_request("/t1/bx297", 5));  // the helper builds the same bytes
  const auto reply = client.exchange(request, service.port());
  ASSERT_TRUE(reply);
  const Bytes expected = {0x00, 0x64, 0x01, 0x10, '/', 't', '1', '/',  'b',  'x',  '2',  '9',  '7',  0x00, '/', 'w',
                          '1',  '/',  'w',  '0',  '0', '0', '1', 0x00, 0x20, 0x00, 0x05, 0x01, 0x00, 0xAB, 0x00};
  EXPECT_EQ(*reply, expected);
}

TEST_F(ServiceWire, WriteIsAnsweredWithoutDataAndReplacesTheValue) {
  service.fields().set("/t1/Lit01", {});
  const auto reply = client.exchange(write_request("/t1/Lit01", {'1', '2', '3'}, 200), service.port());
  ASSERT_TRUE(reply);
  const Bytes expected = {0x00, 0x64, 0x01, 0x10, '/', 't', '1', '/', 'L',  'i',  't',  '0', '1',  0x00, '/',
                          'w',  '1',  '/',  'w',  '0', '0', '0', '1', 0x00, 0x10, 0x00, 200, 0x00, 0x00, 0x00};
  EXPECT_EQ(*reply, expected);
  EXPECT_EQ(service.fields().get("/t1/Lit01"), (Bytes{'1', '2', '3'}));

  // A second write replaces the bytes whole, also with fewer of them.
  ASSERT_TRUE(client.exchange(write_request("/t1/Lit01", {'9'}, 201), service.port()));
  const auto read = client.exchange(read_request("/t1/Lit01", 202), service.port());
  ASSERT_TRUE(read);
  EXPECT_EQ(status_of(*read), 0);
  EXPECT_EQ(value_of(*read), Bytes{'9'});
  EXPECT_EQ(read->size(), 31u);
}

TEST_F(ServiceWire, FormattedOperationsActLikePlainOnes) {
  service.fields().set("/t1/f1", {});
  ASSERT_TRUE(client.exchange(record(4097, 18, "/t1/f1", 7, {'x', 'y'}), service.port()));
  const auto read = client.exchange(record(4097, 34, "/t1/f1", 8), service.port());
  ASSERT_TRUE(read);
  EXPECT_EQ(read->at(24), 34);  // the operation comes back as asked
  EXPECT_EQ(text_of(*read), "xy");

  service.fields().set("/t1/empty", {});
  const auto empty = client.exchange(read_request("/t1/empty", 9), service.port());
  ASSERT_TRUE(empty);
  EXPECT_EQ(status_of(*empty), 0);
  EXPECT_EQ(empty->size(), 30u);  // header, no data, the closing zero
}

TEST_F(ServiceWire, MissingFieldOtherNodeAndBadOperationHaveTheirStatus) {
  auto reply = client.exchange(read_request("/t1/nothere", 1), service.port());
  ASSERT_TRUE(reply);
  EXPECT_EQ(status_of(*reply), vekxsim::status::no_such_field);
  EXPECT_EQ(length_of(*reply), 0);
  // A terminal has a fixed set of fields: a write does not make one.
  reply = client.exchange(write_request("/t1/nothere", {1}, 9), service.port());
  ASSERT_TRUE(reply);
  EXPECT_EQ(status_of(*reply), vekxsim::status::no_such_field);
  EXPECT_FALSE(service.fields().get("/t1/nothere"));

  service.fields().set("/t1/bx298", {1});
  reply = client.exchange(read_request("/t2/bx298", 2), service.port());
  ASSERT_TRUE(reply);
  EXPECT_EQ(status_of(*reply), vekxsim::status::other_node);
  reply = client.exchange(write_request("/t2/bx298", {5}, 3), service.port());
  ASSERT_TRUE(reply);
  EXPECT_EQ(status_of(*reply), vekxsim::status::other_node);
  EXPECT_FALSE(service.fields().get("/t2/bx298"));  // nothing created for another node

  reply = client.exchange(record(4097, 99, "/t1/bx298", 4), service.port());
  ASSERT_TRUE(reply);
  EXPECT_EQ(status_of(*reply), vekxsim::status::bad_operation);
}

TEST(ServiceNode, NodeTenAnswersToColonAndRefusesNodeOne) {
  SharedDataService service("127.0.0.1", 0, 10);
  service.start();
  service.fields().set("/t:/bx297", {3});
  RawClient client;
  auto reply = client.exchange(read_request("/t:/bx297", 1), service.port());
  ASSERT_TRUE(reply);
  EXPECT_EQ(status_of(*reply), 0);
  EXPECT_EQ(value_of(*reply), Bytes{3});
  reply = client.exchange(read_request("/t1/bx297", 2), service.port());
  ASSERT_TRUE(reply);
  EXPECT_EQ(status_of(*reply), vekxsim::status::other_node);
  // An upper-case node letter names the same field; the reply repeats it as sent.
  reply = client.exchange(read_request("/T:/bx297", 3), service.port());
  ASSERT_TRUE(reply);
  EXPECT_EQ(value_of(*reply), Bytes{3});
  EXPECT_EQ(reply->at(5), 'T');
}

TEST_F(ServiceWire, TenCharacterNameWithoutTerminatorIsEchoedWhole) {
  service.fields().set("/t1/abcdefghij", vekx_test::text_bytes("v"));  // stored under its first 10 characters
  const Bytes request = record(4097, 32, "/t1/abcdef", 255);
  const auto reply = client.exchange(request, service.port());
  ASSERT_TRUE(reply);
  EXPECT_EQ(Bytes(reply->begin() + 4, reply->begin() + 14), Bytes(request.begin() + 14, request.begin() + 24));
  EXPECT_EQ(sequence_of(*reply), 255);
  EXPECT_EQ(text_of(*reply), "v");
}

TEST_F(ServiceWire, LargestFieldFillsAReplyOf600Bytes) {
  service.fields().set("/t1/big", Bytes(570, 'z'));
  const auto reply = client.exchange(read_request("/t1/big", 1), service.port());
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->size(), 600u);  // 29 + 570 + the closing zero
  EXPECT_EQ(length_of(*reply), 570);
  EXPECT_THROW(service.fields().set("/t1/big", Bytes(571, 'z')), std::length_error);
  EXPECT_EQ(service.fields().get("/t1/big")->size(), 570u);
}

// What no reply could carry back is refused on the way in: a write of 571
// bytes (a 601-byte datagram) and a much longer one get "too large".
TEST_F(ServiceWire, WriteLongerThanTheLargestFieldIsTooLarge) {
  service.fields().set_lenient(true);
  service.fields().set("/t1/big", {'a'});
  for (std::size_t length : {std::size_t{571}, std::size_t{5000}}) {
    const auto reply = client.exchange(write_request("/t1/big", Bytes(length, 'z'), 1), service.port());
    ASSERT_TRUE(reply) << length;
    EXPECT_EQ(status_of(*reply), vekxsim::status::too_large) << length;
    EXPECT_EQ(service.fields().get("/t1/big"), Bytes{'a'});
  }
  // A field the owner made smaller takes no more than its size.
  service.fields().set("/t1/small", {0}, 1);
  const auto reply = client.exchange(write_request("/t1/small", {1, 2}, 2), service.port());
  ASSERT_TRUE(reply);
  EXPECT_EQ(status_of(*reply), vekxsim::status::too_large);
}

TEST_F(ServiceWire, LenientWritesCreateFieldsUpToTheFieldCount) {
  service.fields().set_lenient(true);
  ASSERT_TRUE(client.exchange(write_request("/t1/new", {7}, 1), service.port()));
  EXPECT_EQ(service.fields().get("/t1/new"), Bytes{7});
  for (std::size_t i = 1; i < vekxsim::limits::fields; ++i) service.fields().set("/t1/f" + std::to_string(i), {});
  auto reply = client.exchange(write_request("/t1/onemore", {1}, 1), service.port());
  ASSERT_TRUE(reply);
  EXPECT_EQ(status_of(*reply), vekxsim::status::store_full);
  EXPECT_FALSE(service.fields().get("/t1/onemore"));
  reply = client.exchange(write_request("/t1/f7", {1}, 2), service.port());  // existing fields still take writes
  ASSERT_TRUE(reply);
  EXPECT_EQ(status_of(*reply), 0);
}

TEST_F(ServiceWire, DisplayAndKeystrokeMessagesAreRecordedButNeverAnswered) {
  const std::uint16_t types[] = {1073, 1072, 1027, 1024};
  for (std::uint8_t i = 0; i < 4; ++i) client.send(record(types[i], 0, "/t1/cnpl1", i, {1, 'A'}, 2), service.port());
  service.fields().set("/t1/bx298", {0});
  // Datagrams from one socket arrive in order: the first answer must be the read's.
  const auto reply = client.exchange(read_request("/t1/bx298", 5), service.port());
  ASSERT_TRUE(reply);
  EXPECT_EQ(sequence_of(*reply), 5);
  EXPECT_FALSE(client.receive(100ms));
  const auto in = service.traffic().inbound();
  ASSERT_EQ(in.size(), 5u);
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(type_of(in[i].bytes), types[i]);
  EXPECT_EQ(in[0].peer_port, client.port());
}

TEST_F(ServiceWire, MalformedDatagramsAreLoggedAndIgnoredAndServiceGoesOn) {
  service.set_log([&](const std::string &l) {
    std::lock_guard lock(log_mutex);
    log_lines.push_back(l);
  });
  service.fields().set("/t1/bx297", {0});
  Bytes wrong_marker = read_request("/t1/bx297", 1);
  wrong_marker[1] = 99;
  Bytes long_claim = read_request("/t1/bx297", 2);
  long_claim[27] = 0xFF;  // 255 data bytes claimed, none there
  Bytes oversized = read_request("/t1/bx297", 3);
  oversized.resize(700, 0);  // a read is never longer than 30 bytes
  const Bytes short_one(Bytes{0, 100, 1, 16, '/', 't', '1'});
  client.send(short_one, service.port());
  client.send(Bytes{}, service.port());
  client.send(wrong_marker, service.port());
  client.send(long_claim, service.port());
  client.send(oversized, service.port());
  const auto reply = client.exchange(read_request("/t1/bx297", 6), service.port());
  ASSERT_TRUE(reply);
  EXPECT_EQ(sequence_of(*reply), 6);      // none of the bad ones was answered
  EXPECT_EQ(value_of(*reply), Bytes{0});  // and none changed the field
  const auto in = service.traffic().inbound();
  ASSERT_EQ(in.size(), 6u);
  EXPECT_EQ(in[4].bytes.size(), 700u);
  std::lock_guard lock(log_mutex);
  int ignored = 0;
  for (const auto &l : log_lines) ignored += l.rfind("ignored: ", 0) == 0;
  EXPECT_EQ(ignored, 5);
}

TEST(ServiceBind, PortInUseThrowsSystemError) {
  SharedDataService first("127.0.0.1", 0, 1);
  try {
    SharedDataService second("127.0.0.1", first.port(), 1);
    FAIL() << "second bind succeeded";
  } catch (const std::system_error &e) {
    EXPECT_EQ(e.code().value(), VEKX_WSAEADDRINUSE);
  }
  EXPECT_THROW(SharedDataService("300.1.1.1", 0, 1), std::invalid_argument);
  EXPECT_THROW(SharedDataService("127.0.0.1", 0, 17), std::invalid_argument);
}

}  // namespace

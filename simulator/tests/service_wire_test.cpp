// The shared-data service on the wire: replies checked against bytes written
// out by hand, the statuses it answers with, what it never answers, its
// decoys and its traffic log lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <system_error>

#include "loopback_udp.h"
#include "service_limits.h"
#include "shared_data_service.h"
#include "traffic_line.h"
#include "vekxapi.h"

using namespace vekx_test;
using vekxsim::SharedDataService;

namespace {

class ServiceWire : public ::testing::Test {
 protected:
  void SetUp() override { service.start(); }
  // The status the service answers a request with; -1 when no answer comes.
  int status_for(const Bytes &request) {
    const auto reply = client.exchange(request, service.port());
    return reply ? status_of(*reply) : -1;
  }
  // Declared before the service so that they outlive its thread.
  std::mutex log_mutex;
  std::vector<std::string> log_lines;
  SharedDataService service{"127.0.0.1", 0, 1};
  RawClient client;
};

TEST_F(ServiceWire, ReadAndWriteRepliesByteForByte) {
  service.fields().set("/t1/bx297", {0xAB});
  const Bytes request = read_request("/t1/bx297", 5);  // held against bytes by hand in LibraryTest
  const Bytes read_reply = {0x00, 0x64, 0x01, 0x10, '/', 't', '1', '/',  'b',  'x',  '2',  '9',  '7',  0x00, '/', 'w',
                            '1',  '/',  'w',  '0',  '0', '0', '1', 0x00, 0x20, 0x00, 0x05, 0x01, 0x00, 0xAB, 0x00};
  EXPECT_EQ(client.exchange(request, service.port()), read_reply);

  const Bytes write_reply = {0x00, 0x64, 0x01, 0x10, '/', 't', '1', '/', 'b',  'x',  '2',  '9', '7',  0x00, '/',
                             'w',  '1',  '/',  'w',  '0', '0', '0', '1', 0x00, 0x10, 0x00, 200, 0x00, 0x00, 0x00};
  EXPECT_EQ(client.exchange(write_request("/t1/bx297", {'1', '2', '3'}, 200), service.port()), write_reply);
  // A write replaces the bytes whole, also with fewer of them; a formatted
  // one acts as a plain one and the reply repeats its operation.
  ASSERT_TRUE(client.exchange(record(4097, 18, "/t1/bx297", 201, {'9'}), service.port()));
  const Bytes read = client.answer(record(4097, 34, "/t1/bx297", 202), service.port());
  EXPECT_EQ(std::tuple(read.at(24), value_of(read), read.size()), std::tuple(std::uint8_t{34}, Bytes{'9'}, 31u));
}

// The status bytes as they travel: 3 no such field, 4 another node's field,
// 5 unknown operation, 6 too large, 7 store full.
TEST_F(ServiceWire, StatusesOfMissingFieldsOtherNodesAndUnknownOperations) {
  // A terminal has a fixed set of fields: a write does not make one.
  EXPECT_EQ(status_for(write_request("/t1/nothere", {1}, 2)), 3);
  EXPECT_FALSE(service.fields().get("/t1/nothere"));
  service.fields().set("/t1/bx298", {1});
  EXPECT_EQ(status_for(read_request("/t2/bx298", 3)), 4);
  EXPECT_EQ(status_for(write_request("/t2/bx298", {5}, 4)), 4);
  EXPECT_EQ(status_for(read_request("/T1/bx298", 7)), 0) << "an upper-case T names this node too";
  EXPECT_EQ(status_for(record(4097, 99, "/t1/bx298", 5)), 5);
}

// The largest field fills a 600-byte reply. What no reply could carry back
// is refused on the way in: a write of 571 bytes (a 601-byte datagram) and
// a much longer one get "too large" (a write beyond a field's own size is
// Replay's: the terminal's answer 6 to a long Lit02 is replayed).
TEST_F(ServiceWire, TheLargestFieldAndWritesTooLargeForIt) {
  service.fields().set("/t1/big", Bytes(570, 'z'));
  EXPECT_EQ(client.answer(read_request("/t1/big", 1), service.port()).size(), 600u);
  EXPECT_THROW(service.fields().set("/t1/big", Bytes(571, 'z')), std::length_error);
  service.fields().set_lenient(true);
  for (std::size_t length : {std::size_t{571}, std::size_t{5000}})
    EXPECT_EQ(status_for(write_request("/t1/big", Bytes(length, 'y'), 2)), 6) << length;
  EXPECT_EQ(service.fields().get("/t1/big"), Bytes(570, 'z'));
}

TEST_F(ServiceWire, LenientWritesCreateFieldsUpToTheFieldCount) {
  service.fields().set_lenient(true);
  for (std::size_t i = 0; i < vekxsim::limits::fields; ++i) service.fields().set("/t1/f" + std::to_string(i), {});
  EXPECT_EQ(status_for(write_request("/t1/onemore", {1}, 2)), 7);
  EXPECT_EQ(status_for(write_request("/t1/f7", {1}, 3)), 0) << "existing fields still take writes";
}

TEST_F(ServiceWire, DisplayAndKeystrokeMessagesAreRecordedButNeverAnswered) {
  const std::uint16_t types[] = {1073, 1072, 1027, 1024};
  for (std::uint8_t i = 0; i < 4; ++i) client.send(record(types[i], 0, "/t1/cnpl1", i, {1, 'A'}, 2), service.port());
  client.send(record(1072, 0, "/t2/cnpl1", 4, Bytes(17, 1), 2), service.port());  // another node's display text
  service.fields().set("/t1/bx298", {0});
  // Datagrams from one socket arrive in order: the first answer must be the read's.
  EXPECT_EQ(sequence_of(client.answer(read_request("/t1/bx298", 5), service.port())), 5);
  EXPECT_FALSE(client.receive(100ms));
  EXPECT_FALSE(service.display().text()) << "none of them a display text for node 1";
  EXPECT_EQ(service.traffic().inbound().size(), 6u) << "each of them recorded";
}

TEST_F(ServiceWire, MalformedDatagramsAreLoggedAndIgnoredAndServiceGoesOn) {
  service.set_log([&](const std::string &l) {
    std::lock_guard lock(log_mutex);
    log_lines.push_back(l);
  });
  service.fields().set("/t1/bx297", {0});
  Bytes wrong_marker = read_request("/t1/bx297", 1), long_claim = read_request("/t1/bx297", 2),
        oversized = read_request("/t1/bx297", 3), no_closing_zero = write_request("/t1/bx297", {7}, 4);
  wrong_marker[1] = 99;
  long_claim[27] = 0xFF;       // 255 data bytes claimed, none there
  oversized.resize(700, 0);    // a read is never longer than 30 bytes
  no_closing_zero.pop_back();  // its length claims one byte more than it carries
  for (const Bytes &bad :
       {Bytes{0, 100, 1, 16, '/', 't', '1'}, Bytes{}, wrong_marker, long_claim, oversized, no_closing_zero})
    client.send(bad, service.port());
  const Bytes reply = client.answer(read_request("/t1/bx297", 6), service.port());
  EXPECT_EQ(sequence_of(reply), 6);      // none of the bad ones was answered
  EXPECT_EQ(value_of(reply), Bytes{0});  // and none changed the field
  EXPECT_EQ(service.traffic().inbound().at(4).bytes.size(), 700u);
  std::lock_guard lock(log_mutex);
  EXPECT_EQ(std::count_if(log_lines.begin(), log_lines.end(), [](auto &l) { return l.rfind("ignored: ", 0) == 0; }), 6);
}

TEST(ServiceBind, PortInUseAndBadArgumentsThrow) {
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

// The decoys, whose failure would let the library's tests pass without
// exercising anything (the service's other faults show in those tests' own
// figures).
TEST_F(ServiceWire, DecoysComeFirstThenTheRealReplyOnce) {
  service.fields().set("/t1/bx297", {7});
  for (auto d : {vekxsim::Decoy::wrong_type, vekxsim::Decoy::wrong_sequence, vekxsim::Decoy::wrong_name})
    service.faults().add_decoy(d);
  client.send(read_request("/t1/bx297", 40), service.port());
  const auto a = client.receive(), b = client.receive(), c = client.receive(), real = client.receive();
  ASSERT_TRUE(a && b && c && real);
  EXPECT_EQ(status_of(*b), vekxsim::decoy_status) << "a decoy taken for the reply shows";
  EXPECT_EQ(std::pair(type_of(*real), sequence_of(*real)), (std::pair<std::uint16_t, std::uint8_t>(4097, 40)));
  ASSERT_TRUE(client.exchange(read_request("/t1/bx297", 41), service.port()));
  EXPECT_FALSE(client.receive(100ms)) << "the next reply comes alone";
}

TEST(TrafficLine, DecodesEachFieldWithTheTextInUtf8) {
  vekxsim::TrafficRecord in{std::chrono::steady_clock::now(), true, 1701, write_request("/t1/Lit01", {'A', 0xF6}, 9)};
  const std::string line = vekxsim::traffic_line(in, std::chrono::system_clock::now());
  EXPECT_NE(line.find(" IN  :1701 field-access write /w1/w0001 -> /t1/Lit01 seq=9 status=0 len=2 data=\"A\xC3\xB6\" "
                      "hex=41 f6"),
            std::string::npos)
      << line;
}

}  // namespace

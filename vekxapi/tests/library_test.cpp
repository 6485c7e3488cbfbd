// Registration, closing and the refusals that come before any argument, and
// what the library puts on the wire, compared with records built by hand.
#if defined(_WIN32)
#  include <winsock.h>
#endif

#include <cstring>

#include "library_fixture.h"

namespace vekx_test {
namespace {

// A display or keystroke message to node 1's display controller.
Bytes to_display(std::uint16_t type, const Bytes &data) { return record(type, 0, "/t1/cnpl1", 0, data, 2); }

TEST_F(LibraryTest, FieldRequestsByteForByte) {
  register_loopback();
  peer->fields().set("/t1/bx297", vekx_test::text_bytes("0"));
  char buffer[4];
  int16_t count;
  ASSERT_EQ(VekRead("/t1/bx297", 4, buffer, &count), 0);
  ASSERT_EQ(VekFormattedRead("/t1/bx297", 4, buffer, &count), 0);
  ASSERT_EQ(VekWrite("/t1/abc", 3, "123"), 0);
  ASSERT_EQ(VekFormattedWrite("/t1/abc", 1, "1"), 0);
  ASSERT_EQ(VekWrite("/t1/abc", 0, ""), 0);

  const Bytes read = {0x00, 0x64, 0x01, 0x10, '/', 'w', '1', '/', 'w',  '0',  '0',  '0',  '1',  0x00, '/',
                      't',  '1',  '/',  'b',  'x', '2', '9', '7', 0x00, 0x20, 0x00, 0x00, 0x00, 0x00, 0x00};
  EXPECT_EQ(without_sequence(received_bytes(0)), read);
  EXPECT_EQ(without_sequence(received_bytes(1)), record(0x1001, 0x22, "/t1/bx297", 0));
  EXPECT_EQ(without_sequence(received_bytes(2)), record(0x1001, 0x10, "/t1/abc", 0, text_bytes("123")));
  EXPECT_EQ(without_sequence(received_bytes(3)), record(0x1001, 0x12, "/t1/abc", 0, text_bytes("1")));
  EXPECT_EQ(without_sequence(received_bytes(4)), record(0x1001, 0x10, "/t1/abc", 0)) << "a bare record";
}

TEST_F(LibraryTest, LongFieldNamesTravelCutToTenCharacters) {
  register_loopback();
  peer->fields().set("/t1/abcdef", vekx_test::text_bytes("v"));  // the store knows the name as it travels
  char buffer[4];
  int16_t count = 0;
  ASSERT_EQ(VekRead("/t1/abcdefgh", 4, buffer, &count), 0) << "the reply names the 10 characters sent";
  const Bytes d = received_bytes(0);
  EXPECT_EQ((Bytes{d.begin() + 14, d.begin() + 24}), (Bytes{'/', 't', '1', '/', 'a', 'b', 'c', 'd', 'e', 'f'}));
  EXPECT_EQ(d[24], 0x20);
}

TEST_F(LibraryTest, DisplayResetAndKeystrokeMessages) {
  register_loopback();
  const char text[16] = {'H', 'e', 'l', 'l', 'o', 0, 'x', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', '!'};
  ASSERT_EQ(VekDisplayText(1, text), 0);
  ASSERT_EQ(VekResetDisplay(1), 0);
  ASSERT_EQ(VekSendKeystroke(1, 1, 0x141), 0);
  ASSERT_EQ(VekSendKeystrokeC(1, 2, 13), 0);
  ASSERT_EQ(peer->traffic().wait_inbound(5, 1s), 5u);

  EXPECT_EQ(without_sequence(received_bytes(0)), to_display(0x0431, {1, 7}));
  Bytes line(17, 1);
  std::memcpy(line.data() + 1, text, 16);  // the zero byte does not end the copy
  EXPECT_EQ(without_sequence(received_bytes(1)), to_display(0x0430, line));
  EXPECT_EQ(without_sequence(received_bytes(2)), to_display(0x0431, {1, 0}));
  EXPECT_EQ(without_sequence(received_bytes(3)), to_display(0x0403, {0x41})) << "only the low byte of 0x141";
  EXPECT_EQ(without_sequence(received_bytes(4)), to_display(0x0400, {13}));
}

// Node 16, the last, is written '@'; it sends from local port base + 15 to
// its own address, the 16th of the list.
TEST_F(LibraryTest, DisplayAndKeystrokesReachNodeSixteen) {
  const std::uint16_t base = static_cast<std::uint16_t>(free_local_port_pair() - 15);
  use_ports(peer->port(), base);
  std::string list;
  for (int i = 1; i < 16; ++i) list += "1.1,";
  ASSERT_EQ(VekRegisterProcess(1, (list + "127.0.0.1").c_str(), 16), 0);
  const char text[16] = {'N', 'O', 'D', 'E', ' ', '1', '6'};
  ASSERT_EQ(VekDisplayText(16, text), 0);
  ASSERT_EQ(VekSendKeystroke(16, 2, 'A'), 0);
  ASSERT_EQ(peer->traffic().wait_inbound(3, 1s), 3u);
  for (const auto &d : received()) {
    EXPECT_EQ((Bytes{d.bytes.begin() + 14, d.bytes.begin() + 24}),
              (Bytes{'/', 't', '@', '/', 'c', 'n', 'p', 'l', '1', 0}));
    EXPECT_EQ(d.peer_port, base + 15);
  }
}

TEST_F(LibraryTest, SequenceCountsEveryDatagramAndWraps) {
  register_loopback();
  ASSERT_EQ(VekResetDisplay(1), 0);
  ASSERT_EQ(peer->traffic().wait_inbound(1, 1s), 1u);
  const std::uint8_t first = sequence_of(received_bytes(0));
  EXPECT_EQ(first, 1) << "the first datagram after loading the library (ctest runs each case in a process of its own)";
  // Closing and registering again does not restart the count.
  ASSERT_EQ(VekCloseProcess(), 0);
  register_loopback();
  peer->fields().set("/t1/x", {9});
  char b[2];
  int16_t n;
  // One-way keystrokes count as well as reads. Each read's reply comes after
  // the keystroke before it has arrived, so no datagram can be lost to a
  // full receive buffer on the way.
  for (int i = 0; i < 128; ++i) {
    ASSERT_EQ(VekSendKeystroke(1, 1, i), 0);
    ASSERT_EQ(VekRead("/t1/x", 2, b, &n), 0);
  }
  ASSERT_EQ(VekRead("/t1/x", 2, b, &n), 0) << "matching goes on with the wrapped value";
  ASSERT_EQ(peer->traffic().wait_inbound(258, 2s), 258u);
  const auto all = received();
  for (std::size_t i = 1; i < all.size(); ++i)
    ASSERT_EQ(sequence_of(all[i].bytes), static_cast<std::uint8_t>(first + i)) << "datagram " << i;
  EXPECT_EQ(sequence_of(all[256].bytes), first) << "256 sends later the counter is back where it was";
}

// The process type names the source: /wN/w000N.
TEST_F(LibraryTest, RegisterCloseAndRegisterAgain) {
  EXPECT_EQ(VekRegisterProcess(1, nullptr, 0), 0) << "count 0 registers an empty table and reads no list";
  EXPECT_EQ(VekCloseProcess(), 0);
  EXPECT_EQ(VekCloseProcess(), -2);
  EXPECT_EQ(VekRegisterProcessC(2, "127.0.0.1", 1), 0);
  EXPECT_EQ(VekWrite("/t1/x", 1, "1"), 0);
  const Bytes d = received_bytes(0);
  EXPECT_EQ((Bytes{d.begin() + 4, d.begin() + 14}), (Bytes{'/', 'w', '2', '/', 'w', '0', '0', '0', '2', 0}));
  EXPECT_EQ(VekCloseProcessC(), 0);
}

TEST_F(LibraryTest, BadPortVariablesRegisterNothing) {
  for (const char *bad : {"0", "65536", "abc", "12x", "-5", "+5", " 80", "99999999999999999999", "0x10"}) {
    set_environment("VEKX_TERMINAL_PORT", bad);
    EXPECT_EQ(VekRegisterProcess(1, "127.0.0.1", 1), 2) << "terminal port '" << bad << "'";
  }
  set_environment("VEKX_TERMINAL_PORT", "1701");
  set_environment("VEKX_LOCAL_PORT", "65521");  // node 15 would need 65536
  EXPECT_EQ(VekRegisterProcess(1, "127.0.0.1", 1), 2);
  set_environment("VEKX_LOCAL_PORT", "65520");
  EXPECT_EQ(VekRegisterProcess(1, "127.0.0.1", 1), 0);
}

TEST_F(LibraryTest, EveryOperationRefusesBeforeRegistrationAndSendsNothing) {
  EXPECT_EQ(VekRegisterProcess(0, "127.0.0.1", 1), 2);
  EXPECT_EQ(VekRegisterProcess(3, "127.0.0.1", 1), 2);
  EXPECT_EQ(VekRegisterProcess(1, "127.0.0.1,", 2), 5);
  EXPECT_EQ(VekRegisterProcess(1, nullptr, 1), 2);
  EXPECT_EQ(VekCloseProcess(), -2) << "none of the above may have registered";
  char buffer[8] = {};
  int16_t count = 99;
  const char text[16] = {};
  EXPECT_EQ(VekRead("/t1/x", 8, buffer, &count), -2);
  EXPECT_EQ(VekFormattedReadC("/t1/x", 8, buffer, &count), -2);
  EXPECT_EQ(VekReadP("/t1/x", 8, buffer), -2);
  EXPECT_EQ(VekWriteC("/t1/x", 1, "1"), -2);
  EXPECT_EQ(VekFormattedWrite("/t1/x", 1, "1"), -2);
  EXPECT_EQ(VekDisplayTextC(1, text), -2);
  EXPECT_EQ(VekResetDisplay(1), -2);
  EXPECT_EQ(VekSendKeystrokeC(1, 1, 65), -2);
  // The registration test comes before any argument is looked at.
  EXPECT_EQ(VekRead(nullptr, -1, nullptr, nullptr), -2);
  EXPECT_EQ(VekSendKeystroke(0, 3, 0), -2);
  EXPECT_EQ(count, 99);
  EXPECT_EQ(peer->traffic().wait_inbound(1, 100ms), 0u);
}

TEST_F(LibraryTest, BadArgumentsAreRefusedBeforeAnythingIsSent) {
  register_loopback();
  char buffer[8];
  std::memset(buffer, 0x5A, sizeof buffer);
  int16_t count = 99;
  EXPECT_EQ(VekRead(nullptr, 8, buffer, &count), 2);
  EXPECT_EQ(VekRead("/t1/x", -1, buffer, &count), 2);
  EXPECT_EQ(VekRead("/t1/x", 8, nullptr, &count), 2);
  EXPECT_EQ(VekRead("/t1/x", 8, buffer, nullptr), 2);
  EXPECT_EQ(VekFormattedRead("/t1/x", 8, buffer, nullptr), 2);
  EXPECT_EQ(VekReadP("/t1/x", -3, buffer), 2);
  EXPECT_EQ(VekWrite(nullptr, 1, "1"), 2);
  EXPECT_EQ(VekWrite("/t1/x", -1, "1"), 2);
  EXPECT_EQ(VekWrite("/t1/x", 1, nullptr), 2);
  EXPECT_EQ(VekDisplayText(1, nullptr), 2);
  const char text[16] = {};
  EXPECT_EQ(VekResetDisplay(0), 4);
  EXPECT_EQ(VekResetDisplay(17), 4);
  EXPECT_EQ(VekDisplayText(-1, text), 4);
  EXPECT_EQ(VekSendKeystroke(2, 3, 0), 2);
  EXPECT_EQ(VekSendKeystroke(0, 3, 0), 4) << "the node guard comes first";
  EXPECT_EQ(buffer[0], 0x5A);
  EXPECT_EQ(count, 99);
  EXPECT_EQ(peer->traffic().wait_inbound(1, 100ms), 0u);
  // A write of no bytes needs no data.
  EXPECT_EQ(VekWrite("/t1/x", 0, nullptr), 0);
}

#if defined(_WIN32)
// How many starts of the sockets layer the process holds, counted by
// cleaning up until the layer refuses, then started again as often.
int sockets_layer_starts() {
  int starts = 0;
  while (::WSACleanup() == 0) ++starts;
  for (int i = 0; i < starts; ++i) {
    WSADATA data;
    ::WSAStartup(0x0101, &data);
  }
  return starts;
}

TEST(Registration, AFailedRegistrationGivesBackItsStartOfTheSocketsLayer) {
  const int before = sockets_layer_starts();
  for (int i = 0; i < 3; ++i) ASSERT_EQ(VekRegisterProcess(1, "127.0.0.1,", 2), VEKX_BAD_ADDRESS);
  EXPECT_EQ(sockets_layer_starts(), before);
  ASSERT_EQ(VekRegisterProcess(1, "127.0.0.1", 1), VEKX_OK);
  EXPECT_EQ(sockets_layer_starts(), before + 1) << "a registration holds one start until it is closed";
  ASSERT_EQ(VekCloseProcess(), VEKX_OK);
  EXPECT_EQ(sockets_layer_starts(), before);
}
#endif

}  // namespace
}  // namespace vekx_test

// What the library puts on the wire, compared with bytes written by hand.
#include <cstring>

#include "library_fixture.h"

namespace vekx_test {
namespace {

// Header bytes 0..25 of a request from "/w1/w0001": mode, marker, type,
// source, target, operation, status.
Bytes header(std::uint8_t mode, std::uint16_t type, const char (&target)[11], std::uint8_t op) {
  Bytes h = {mode,
             0x64,
             static_cast<std::uint8_t>(type & 0xFF),
             static_cast<std::uint8_t>(type >> 8),
             '/',
             'w',
             '1',
             '/',
             'w',
             '0',
             '0',
             '0',
             '1',
             0};
  for (int i = 0; i < 10; ++i) h.push_back(static_cast<std::uint8_t>(target[i]));
  h.push_back(op);
  h.push_back(0);
  return h;
}

// The datagram with its sequence byte blanked, so it can be compared.
Bytes without_sequence(Bytes d) {
  d.at(26) = 0;
  return d;
}

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

  Bytes formatted = read;
  formatted[24] = 0x22;
  EXPECT_EQ(without_sequence(received_bytes(1)), formatted);

  Bytes write = header(0, 0x1001, {'/', 't', '1', '/', 'a', 'b', 'c', 0, 0, 0, 0}, 0x10);
  Bytes tail = {0x00, 0x03, 0x00, '1', '2', '3', 0x00};
  write.insert(write.end(), tail.begin(), tail.end());
  EXPECT_EQ(without_sequence(received_bytes(2)), write);

  Bytes fwrite = header(0, 0x1001, {'/', 't', '1', '/', 'a', 'b', 'c', 0, 0, 0, 0}, 0x12);
  Bytes ftail = {0x00, 0x01, 0x00, '1', 0x00};
  fwrite.insert(fwrite.end(), ftail.begin(), ftail.end());
  EXPECT_EQ(without_sequence(received_bytes(3)), fwrite);

  EXPECT_EQ(received_bytes(4).size(), 30u) << "a write of no data is a bare record";
}

TEST_F(LibraryTest, LongFieldNamesTravelCutToTenCharacters) {
  register_loopback();
  peer->fields().set("/t1/abcdef", vekx_test::text_bytes("v"));  // the store knows the name as it travels
  char buffer[4];
  int16_t count = 0;
  ASSERT_EQ(VekRead("/t1/abcdefgh", 4, buffer, &count), 0) << "the reply names the 10 characters sent";
  EXPECT_EQ(count, 1);
  const Bytes d = received_bytes(0);
  EXPECT_EQ((Bytes{d.begin() + 14, d.begin() + 24}), (Bytes{'/', 't', '1', '/', 'a', 'b', 'c', 'd', 'e', 'f'}));
  EXPECT_EQ(d[24], 0x20);
}

TEST_F(LibraryTest, DisplayTextSendsTwoMessagesWithConsecutiveSequences) {
  register_loopback();
  const char text[16] = {'H', 'e', 'l', 'l', 'o', 0, 'x', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', '!'};
  ASSERT_EQ(VekDisplayText(1, text), 0);
  ASSERT_EQ(peer->traffic().wait_inbound(2, 1s), 2u);

  Bytes open = header(2, 0x0431, {'/', 't', '1', '/', 'c', 'n', 'p', 'l', '1', 0, 0}, 0);
  Bytes open_tail = {0x00, 0x02, 0x00, 0x01, 0x07, 0x00};
  open.insert(open.end(), open_tail.begin(), open_tail.end());
  EXPECT_EQ(without_sequence(received_bytes(0)), open);

  Bytes line = header(2, 0x0430, {'/', 't', '1', '/', 'c', 'n', 'p', 'l', '1', 0, 0}, 0);
  Bytes line_tail = {0x00, 0x11, 0x00, 0x01};
  line.insert(line.end(), line_tail.begin(), line_tail.end());
  line.insert(line.end(), text, text + 16);  // the zero byte does not end the copy
  line.push_back(0);
  ASSERT_EQ(received_bytes(1).size(), 47u);
  EXPECT_EQ(without_sequence(received_bytes(1)), line);
  EXPECT_EQ(static_cast<std::uint8_t>(sequence_of(received_bytes(0)) + 1), sequence_of(received_bytes(1)));
}

TEST_F(LibraryTest, ResetAndKeystrokeMessages) {
  register_loopback();
  ASSERT_EQ(VekResetDisplay(1), 0);
  ASSERT_EQ(VekSendKeystroke(1, 1, 0x141), 0);
  ASSERT_EQ(VekSendKeystrokeC(1, 2, 13), 0);
  ASSERT_EQ(peer->traffic().wait_inbound(3, 1s), 3u);

  Bytes reset = header(2, 0x0431, {'/', 't', '1', '/', 'c', 'n', 'p', 'l', '1', 0, 0}, 0);
  Bytes reset_tail = {0x00, 0x02, 0x00, 0x01, 0x00, 0x00};
  reset.insert(reset.end(), reset_tail.begin(), reset_tail.end());
  EXPECT_EQ(without_sequence(received_bytes(0)), reset);

  Bytes key1 = header(2, 0x0403, {'/', 't', '1', '/', 'c', 'n', 'p', 'l', '1', 0, 0}, 0);
  Bytes key1_tail = {0x00, 0x01, 0x00, 0x41, 0x00};  // only the low byte of 0x141
  key1.insert(key1.end(), key1_tail.begin(), key1_tail.end());
  EXPECT_EQ(without_sequence(received_bytes(1)), key1);

  const Bytes key2 = received_bytes(2);
  ASSERT_EQ(key2.size(), 31u);
  EXPECT_EQ(key2[2], 0x00);
  EXPECT_EQ(key2[3], 0x04);
  EXPECT_EQ(key2[29], 13);
}

TEST_F(LibraryTest, DisplayGuardsComeInOrder) {
  register_loopback();
  const char text[16] = {};
  EXPECT_EQ(VekResetDisplay(0), 4);
  EXPECT_EQ(VekResetDisplay(17), 4);
  EXPECT_EQ(VekDisplayText(-1, text), 4);
  EXPECT_EQ(VekSendKeystroke(2, 3, 0), 2);
  EXPECT_EQ(VekSendKeystroke(0, 3, 0), 4) << "the node guard comes first";
  EXPECT_EQ(peer->traffic().wait_inbound(1, 100ms), 0u);
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
  EXPECT_EQ(received()[2].bytes.at(29), 'A');
}

TEST_F(LibraryTest, SequenceCountsEveryDatagramAndWraps) {
  register_loopback();
  ASSERT_EQ(VekResetDisplay(1), 0);
  ASSERT_EQ(peer->traffic().wait_inbound(1, 1s), 1u);
  const std::uint8_t first = sequence_of(received_bytes(0));
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

}  // namespace
}  // namespace vekx_test

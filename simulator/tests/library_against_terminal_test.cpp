// The client library against the simulated terminal over loopback: every
// field the console uses, the mailbox handshake, display and keystroke
// messages, and a long run in which nothing may be lost.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "raw_udp.h"
#include "test_ports.h"
#include "terminal.h"
#include "vekxapi.h"

using namespace vekxsim_test;

namespace {

class LibraryAgainstTerminal : public ::testing::Test {
 protected:
  static vekxsim::TerminalOptions options() {
    vekxsim::TerminalOptions o;
    o.command_delay = 150ms;
    o.weight = 1234.5;
    return o;
  }
  void SetUp() override {
    ::setenv("VEKX_TERMINAL_PORT", std::to_string(terminal.port()).c_str(), 1);
    ::setenv("VEKX_LOCAL_PORT", std::to_string(vekx_test::free_local_port_pair()).c_str(), 1);
    ASSERT_EQ(VekRegisterProcess(1, "127.0.0.1", 1), 0);
  }
  void TearDown() override { VekCloseProcess(); }

  // A one-byte field read as the console reads it: count 1 into a word that is 0.
  std::uint16_t read_word(const char *field) {
    std::uint16_t word = 0;
    std::int16_t count = -1;
    EXPECT_EQ(VekRead(field, 1, &word, &count), 0) << field;
    EXPECT_EQ(count, 1) << field;
    return word;
  }
  std::string read_text(const char *field, std::int16_t size, std::int16_t *count_out = nullptr) {
    char buffer[64] = {};
    std::int16_t count = -1;
    EXPECT_EQ(VekRead(field, size, buffer, &count), 0) << field;
    if (count_out) *count_out = count;
    return std::string(buffer, count > 0 ? static_cast<std::size_t>(count) : 0);
  }
  void write_byte(const char *field, std::uint8_t value) { EXPECT_EQ(VekWrite(field, 1, &value), 0) << field; }

  vekxsim::Terminal terminal{options()};
};

TEST_F(LibraryAgainstTerminal, PollCycleFieldsReadWithTheConsolesCounts) {
  EXPECT_EQ(read_word("/t1/vek15"), 0);
  std::int16_t count = 0;
  const std::string weight = read_text("/t1/wt101", 13, &count);
  EXPECT_EQ(count, 13);
  EXPECT_EQ(weight.substr(0, 8), " 1234.50");
  EXPECT_EQ(read_text("/t1/wt501", 13).substr(0, 8), " 1234.50");
  EXPECT_EQ(read_word("/t1/bx298"), 54);
  read_text("/t1/Lit50", 40, &count);
  EXPECT_EQ(count, 40);
  EXPECT_EQ(read_word("/t1/bx251"), 0);
  EXPECT_EQ(read_word("/t1/bx252"), 0);
  for (const char *input : {"/t1/p_100", "/t1/p_101", "/t1/p_102", "/t1/p_103", "/t1/p_108", "/t1/p_109", "/t1/p_10a",
                            "/t1/p_10b", "/t1/p_10c", "/t1/p_10d", "/t1/p_10e", "/t1/p_10f"})
    EXPECT_EQ(read_word(input), 0) << input;
  terminal.control("input 7 1");
  EXPECT_EQ(read_word("/t1/p_10a"), 1);
  terminal.control("lower 1234567SCALE 1 IN MOTION");
  const std::string lower = read_text("/t1/bd001", 50, &count);
  EXPECT_EQ(count, 50);
  EXPECT_EQ(lower.substr(7, 17), "SCALE 1 IN MOTION");
}

TEST_F(LibraryAgainstTerminal, LiteralEventThroughTheLibrary) {
  write_byte("/t1/bx298", 0);  // acknowledge power-up
  terminal.control("key 0042 enter");
  EXPECT_EQ(read_word("/t1/bx298"), 51);
  EXPECT_EQ(read_text("/t1/Lit50", 40).substr(0, 5), std::string("0042\0", 5));
  EXPECT_EQ(read_word("/t1/bx251"), 0);
  EXPECT_EQ(read_word("/t1/bx252"), 8);
}

TEST_F(LibraryAgainstTerminal, CommandHandshakeAsTheConsoleRunsIt) {
  const char lines[] = "FIRST LINE          SECOND LINE         ";
  ASSERT_EQ(VekWrite("/t1/Lit01", 40, lines), 0);
  ASSERT_EQ(VekWrite("/t1/Lit02", 20, "THIRD LINE          "), 0);
  write_byte("/t1/bx201", 120);
  write_byte("/t1/bx297", 2);
  EXPECT_EQ(read_word("/t1/bx297"), 255);  // not taken yet
  // The console's wait: read every 100 ms until the byte is not 255 (bounded here).
  std::uint16_t word = 0xFFFF;
  for (int i = 0; i < 50 && (word & 0xFF) == 255; ++i) {
    std::int16_t count = 0;
    word = 0xFFFF;
    ASSERT_EQ(VekRead("/t1/bx297", 1, &word, &count), 0);
    if ((word & 0xFF) == 255) std::this_thread::sleep_for(100ms);  // the console's own pacing
  }
  EXPECT_EQ(word & 0xFF, 0);
  const auto shown = terminal.model().display_lines();
  EXPECT_EQ(shown[0], "FIRST LINE          ");
  EXPECT_EQ(shown[1], "SECOND LINE         ");
  EXPECT_EQ(shown[2], "THIRD LINE          ");
}

TEST_F(LibraryAgainstTerminal, DisplayAndKeystrokeMessagesReachTheTerminalUnanswered) {
  EXPECT_EQ(VekDisplayText(1, "HELLO FROM PC 16"), 0);
  EXPECT_EQ(VekResetDisplay(1), 0);
  EXPECT_EQ(VekSendKeystroke(1, 1, 13), 0);
  EXPECT_EQ(VekSendKeystroke(1, 2, 65), 0);
  ASSERT_EQ(terminal.service().wait_inbound(5, 3000ms), 5u);
  const auto in = terminal.service().inbound();
  EXPECT_EQ(type_of(in[0].bytes), 1073);
  EXPECT_EQ(type_of(in[1].bytes), 1072);
  EXPECT_EQ(text_of(in[1].bytes).substr(1), "HELLO FROM PC 16");
  EXPECT_EQ(type_of(in[2].bytes), 1073);
  EXPECT_EQ(type_of(in[3].bytes), 1027);
  EXPECT_EQ(type_of(in[4].bytes), 1024);
  for (const auto &r : terminal.service().traffic()) EXPECT_TRUE(r.inbound);  // nothing answered
  EXPECT_EQ(read_word("/t1/bx298"), 54);                                      // and the next exchange is not confused
}

TEST_F(LibraryAgainstTerminal, LongRunOfThousandsOfExchangesLosesNothing) {
  terminal.control("log off");
  terminal.control("delay 0");
  terminal.service().clear_traffic();
  constexpr int rounds = 1500;
  int failures = 0;
  for (int i = 0; i < rounds; ++i) {
    const std::string text = "value " + std::to_string(i);
    if (VekWrite("/t1/Lit02", static_cast<std::int16_t>(text.size()), text.c_str()) != 0) ++failures;
    char buffer[32] = {};
    std::int16_t count = 0;
    if (VekRead("/t1/Lit02", sizeof buffer, buffer, &count) != 0 || std::string(buffer, count) != text) ++failures;
    const std::uint8_t code = (i % 2) ? 14 : 15;
    if (VekWrite("/t1/bx297", 1, &code) != 0) ++failures;
    std::uint16_t word = 0xFFFF;
    if (VekRead("/t1/bx297", 1, &word, &count) != 0 || word != 0xFF00) ++failures;  // taken at once: 0
  }
  EXPECT_EQ(failures, 0);
  // Exactly one datagram each way per exchange: no resend was needed.
  const auto all = terminal.service().traffic();
  std::size_t in = 0, out = 0;
  for (const auto &r : all) (r.inbound ? in : out)++;
  EXPECT_EQ(in, 4u * rounds);
  EXPECT_EQ(out, 4u * rounds);
  for (std::size_t i = 1; i < all.size(); i += 2)
    ASSERT_EQ(sequence_of(all[i].bytes), sequence_of(all[i - 1].bytes)) << "reply " << i;
}

}  // namespace

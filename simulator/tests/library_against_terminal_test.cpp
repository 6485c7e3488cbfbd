// The client library against the simulated terminal over loopback: every
// field the console reads, and a long run in which nothing may be lost.
// The mailbox handshake and display messages through the library are
// covered by the console's and the vekx program's tests.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "raw_udp.h"
#include "free_ports.h"
#include "terminal.h"
#include "vekxapi.h"

using namespace vekx_test;

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

TEST_F(LibraryAgainstTerminal, LongRunOfThousandsOfExchangesLosesNothing) {
  terminal.control("log off");
  terminal.control("delay 0");
  terminal.service().traffic().clear();
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
  const auto all = terminal.service().traffic().all();
  std::size_t in = 0, out = 0;
  for (const auto &r : all) (r.inbound ? in : out)++;
  EXPECT_EQ(in, 4u * rounds);
  EXPECT_EQ(out, 4u * rounds);
  for (std::size_t i = 1; i < all.size(); i += 2)
    ASSERT_EQ(sequence_of(all[i].bytes), sequence_of(all[i - 1].bytes)) << "reply " << i;
}

}  // namespace

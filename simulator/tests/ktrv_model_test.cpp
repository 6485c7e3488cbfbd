// The KTRV application model as the console meets it on the wire: fields
// present from start, the command mailbox handshake, each command's effect,
// events and literals.
#include <gtest/gtest.h>

#include <array>

#include "raw_udp.h"
#include "terminal.h"

using namespace vekx_test;
using vekxsim::OutputForce;
using vekxsim::Terminal;
using vekxsim::TerminalOptions;

namespace {

TerminalOptions immediate() {
  TerminalOptions o;
  o.command_delay = 0ms;
  return o;
}

class KtrvModelTest : public ::testing::Test {
 protected:
  KtrvModelTest() : terminal(immediate()) {}

  Bytes read(const std::string &field) {
    const auto reply = client.exchange(read_request(field, ++sequence), terminal.port());
    if (!reply) throw std::runtime_error("no reply to a read of " + field);
    EXPECT_EQ(status_of(*reply), 0) << field;
    return value_of(*reply);
  }
  std::uint8_t read_byte(const std::string &field) {
    const Bytes v = read(field);
    EXPECT_EQ(v.size(), 1u) << field;
    return v.empty() ? 0 : v[0];
  }
  void write(const std::string &field, const Bytes &value) {
    const auto reply = client.exchange(write_request(field, value, ++sequence), terminal.port());
    ASSERT_TRUE(reply);
    ASSERT_EQ(status_of(*reply), 0);
  }
  // Posts a command and waits (bounded) until the mailbox reads 0.
  void command(std::uint8_t code) {
    write("/t1/bx297", {code});
    ASSERT_TRUE(eventually([&] { return read_byte("/t1/bx297") == 0; }));
  }

  Terminal terminal;
  RawClient client;
  std::uint8_t sequence = 0;
};

TEST_F(KtrvModelTest, PowerUpAndQueuedEventsStayUntilEachAcknowledge) {
  terminal.model().post_event(102);
  terminal.model().post_event(104);
  EXPECT_EQ(read_byte("/t1/bx298"), 54);
  EXPECT_EQ(read_byte("/t1/bx298"), 54);  // reading does not clear it
  write("/t1/bx298", {0});
  EXPECT_EQ(read_byte("/t1/bx298"), 102);
  write("/t1/bx298", {0});
  EXPECT_EQ(read_byte("/t1/bx298"), 104);
  write("/t1/bx298", {0});
  EXPECT_EQ(read_byte("/t1/bx298"), 0);
}

TEST_F(KtrvModelTest, MailboxReads255WhilePendingThenZeroAndStays) {
  terminal.control("delay 300");
  const auto written = std::chrono::steady_clock::now();
  write("/t1/bx297", {15});
  EXPECT_EQ(read_byte("/t1/bx297"), 255);
  ASSERT_TRUE(eventually([&] { return read_byte("/t1/bx297") != 255; }));
  EXPECT_GE(std::chrono::steady_clock::now() - written, 300ms);
  EXPECT_EQ(read_byte("/t1/bx297"), 0);  // never back to 255 by itself
  EXPECT_FALSE(terminal.model().pending_command());
}

// Each command as the console posts it: its parameter fields first, then
// its code; the mailbox reads 0 once it is taken.
TEST_F(KtrvModelTest, EachCommandHasItsEffect) {
  write("/t1/Lit01", text_bytes("LINE ONE            LINE TWO            "));
  write("/t1/Lit02", text_bytes("LINE THREE          "));
  write("/t1/bx201", {120});
  command(2);
  EXPECT_EQ(terminal.model().display_lines(),
            (std::array<std::string, 3>{"LINE ONE            ", "LINE TWO            ", "LINE THREE          "}));
  write("/t1/Lit01", text_bytes("SINGLE                                  "));
  write("/t1/bx201", {40});
  command(1);
  EXPECT_EQ(terminal.model().display_lines()[0], "SINGLE              ");
  EXPECT_EQ(terminal.model().display_lines()[2], "LINE THREE          ") << "the single line leaves line 3";

  // 2 forces on, 1 off; bx201 still holds the display parameter 40, which
  // is no forcing value.
  write("/t1/bx205", {2});
  write("/t1/bx212", {1});
  command(14);
  auto outs = terminal.model().outputs();
  EXPECT_EQ(outs[0], OutputForce::none);
  EXPECT_EQ(outs[4], OutputForce::on);
  EXPECT_EQ(outs[11], OutputForce::off);
  command(15);
  EXPECT_EQ(terminal.model().outputs()[4], OutputForce::none);

  terminal.model().serial_literal("ABC");
  write("/t1/bx298", {0});  // let the literal in behind power-up
  command(12);
  EXPECT_EQ(read("/t1/Lit50"), Bytes(48, 0)) << "flushed";
  write("/t1/bx298", {0});
  command(107);
  EXPECT_EQ(read_byte("/t1/bx298"), 110);
  terminal.model().post_event(104);  // queued behind 110
  write("/t1/bx203", {2});
  command(14);
  command(108);
  EXPECT_EQ(terminal.model().outputs()[2], OutputForce::none) << "a reset clears forcing";
  write("/t1/bx298", {0});
  EXPECT_EQ(read_byte("/t1/bx298"), 108) << "and drops the queued event";
}

TEST_F(KtrvModelTest, LiteralQueuedBehindAnEventArrivesWithItsOwnFields) {
  terminal.model().key_literal("FIRST", 19);
  terminal.model().serial_literal("SECOND");
  write("/t1/bx298", {0});
  EXPECT_EQ(read_byte("/t1/bx298"), 51);
  EXPECT_EQ(read("/t1/Lit50")[0], 'F');
  EXPECT_EQ(read_byte("/t1/bx252"), 19);
  write("/t1/bx298", {0});
  EXPECT_EQ(read_byte("/t1/bx298"), 51);
  EXPECT_EQ(read("/t1/Lit50")[0], 'S');
  EXPECT_EQ(read_byte("/t1/bx251"), 1);
}

TEST_F(KtrvModelTest, WeightTextFollowsTheScaleAndTheSelector) {
  terminal.model().set_settle_time(0ms);
  terminal.model().set_weight(12.5);
  const Bytes w = read("/t1/wt101");
  EXPECT_EQ(std::string(w.begin(), w.begin() + 9), std::string("   12.50\0", 9));
  terminal.model().set_weight(-3);
  const Bytes w5 = read("/t1/wt501");
  EXPECT_EQ(std::string(w5.begin(), w5.begin() + 8), "   -3.00");
  terminal.model().set_weight(-0.004);  // rounds to zero from below: never "-0.00"
  EXPECT_EQ(std::string(reinterpret_cast<const char *>(read("/t1/wt101").data())), "    0.00");
  terminal.model().set_weight(1e9);  // what 8 characters can show
  EXPECT_EQ(std::string(reinterpret_cast<const char *>(read("/t1/wt101").data())), "99999.99");
  EXPECT_EQ(terminal.control("select 2"), "weight selector 2 (wt501)");
  EXPECT_EQ(read_byte("/t1/vek15"), 2);
}

}  // namespace

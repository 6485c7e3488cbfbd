// The KTRV application model as the console meets it on the wire: fields
// present from start, the command mailbox handshake, each command's effect,
// events and literals.
#include <gtest/gtest.h>

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
  explicit KtrvModelTest(const TerminalOptions &o = immediate()) : terminal(o) {}

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

TEST_F(KtrvModelTest, EveryFieldTheConsoleReadsExistsWithItsSize) {
  for (const char *one_byte :
       {"/t1/vek15", "/t1/bx297", "/t1/bx298", "/t1/bx251", "/t1/bx252", "/t1/p_100", "/t1/p_101", "/t1/p_102",
        "/t1/p_103", "/t1/p_108", "/t1/p_109", "/t1/p_10a", "/t1/p_10b", "/t1/p_10c", "/t1/p_10d", "/t1/p_10e",
        "/t1/p_10f", "/t1/bx201", "/t1/bx212"})
    EXPECT_EQ(read(one_byte).size(), 1u) << one_byte;
  EXPECT_GE(read("/t1/wt101").size(), 13u);
  EXPECT_GE(read("/t1/wt501").size(), 13u);
  EXPECT_GE(read("/t1/Lit50").size(), 40u);
  EXPECT_EQ(read("/t1/bd001").size(), 50u);
  EXPECT_EQ(read("/t1/Lit01").size(), 40u);
  EXPECT_EQ(read("/t1/Lit02").size(), 20u);
}

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

TEST_F(KtrvModelTest, EventQueueIsBounded) {
  for (std::size_t i = 0; i < vekxsim::KtrvModel::max_queued_events; ++i) EXPECT_TRUE(terminal.model().post_event(105));
  EXPECT_FALSE(terminal.model().post_event(105));
  EXPECT_FALSE(terminal.model().post_event(0));
  EXPECT_EQ(terminal.model().queued_events().size(), vekxsim::KtrvModel::max_queued_events);
}

class KtrvDelayedMailbox : public KtrvModelTest {
 protected:
  static TerminalOptions delayed() {
    TerminalOptions o;
    o.command_delay = 300ms;
    return o;
  }
  KtrvDelayedMailbox() : KtrvModelTest(delayed()) {}
};

TEST_F(KtrvDelayedMailbox, MailboxReads255WhilePendingThenZeroAndStays) {
  const auto written = std::chrono::steady_clock::now();
  write("/t1/bx297", {15});
  EXPECT_EQ(read_byte("/t1/bx297"), 255);
  ASSERT_TRUE(eventually([&] { return read_byte("/t1/bx297") != 255; }));
  EXPECT_GE(std::chrono::steady_clock::now() - written, 300ms);
  EXPECT_EQ(read_byte("/t1/bx297"), 0);  // never back to 255 by itself
  EXPECT_FALSE(terminal.model().pending_command());
}

TEST_F(KtrvModelTest, DisplayCommandsTakeTheTextFields) {
  write("/t1/Lit01", text_bytes("LINE ONE            LINE TWO            "));
  write("/t1/Lit02", text_bytes("LINE THREE          "));
  write("/t1/bx201", {120});
  command(2);
  auto lines = terminal.model().display_lines();
  EXPECT_EQ(lines[0], "LINE ONE            ");
  EXPECT_EQ(lines[1], "LINE TWO            ");
  EXPECT_EQ(lines[2], "LINE THREE          ");
  write("/t1/Lit01", text_bytes("SINGLE                                  "));
  write("/t1/bx201", {40});
  command(1);
  lines = terminal.model().display_lines();
  EXPECT_EQ(lines[0], "SINGLE              ");
  EXPECT_EQ(lines[2], "LINE THREE          ");  // the single-line command leaves line 3
  // The parameter byte is not a forcing value: output 1 is untouched by 14.
  command(14);
  EXPECT_EQ(terminal.model().outputs()[0], OutputForce::none);
}

TEST_F(KtrvModelTest, ForcingAppliesOneAndTwoAndClearForcingUndoesIt) {
  write("/t1/bx205", {2});
  write("/t1/bx212", {1});
  command(14);
  auto outs = terminal.model().outputs();
  EXPECT_EQ(outs[4], OutputForce::on);
  EXPECT_EQ(outs[11], OutputForce::off);
  EXPECT_EQ(outs[0], OutputForce::none);
  write("/t1/bx205", {1});
  command(14);
  EXPECT_EQ(terminal.model().outputs()[4], OutputForce::off);
  command(15);
  outs = terminal.model().outputs();
  for (auto o : outs) EXPECT_EQ(o, OutputForce::none);
  EXPECT_EQ(terminal.control("outputs").substr(0, 12), "1:- 2:- 3:- ");
}

TEST_F(KtrvModelTest, FlushClearsTheLiteral) {
  terminal.model().serial_literal("ABC");
  write("/t1/bx298", {0});  // let the literal in behind power-up
  EXPECT_EQ(read("/t1/Lit50")[0], 'A');
  command(12);
  const Bytes lit = read("/t1/Lit50");
  EXPECT_EQ(lit, Bytes(lit.size(), 0));
  EXPECT_EQ(terminal.model().buffer_flushes(), 1);
}

TEST_F(KtrvModelTest, TransactionCompletePostsWeighComplete) {
  write("/t1/bx298", {0});
  command(107);
  EXPECT_EQ(read_byte("/t1/bx298"), 110);
  EXPECT_EQ(terminal.model().completed_transactions(), 1);
}

TEST_F(KtrvModelTest, ResetClearsForcingAndQueueAndPostsKtrvReset) {
  write("/t1/bx203", {2});
  command(14);
  terminal.model().post_event(104);  // queued behind 54
  command(108);
  EXPECT_EQ(terminal.model().outputs()[2], OutputForce::none);
  EXPECT_EQ(read_byte("/t1/bx298"), 54);
  write("/t1/bx298", {0});
  EXPECT_EQ(read_byte("/t1/bx298"), 108);  // 104 was dropped by the reset
  write("/t1/bx298", {0});
  EXPECT_EQ(read_byte("/t1/bx298"), 0);
  EXPECT_EQ(terminal.model().resets(), 1);
}

TEST_F(KtrvModelTest, UnknownCommandIsTakenAndChangesNothing) {
  command(77);
  EXPECT_EQ(read_byte("/t1/bx298"), 54);
  for (auto o : terminal.model().outputs()) EXPECT_EQ(o, OutputForce::none);
}

TEST_F(KtrvModelTest, KeyedLiteralFillsTheThreeFieldsWithEvent51) {
  write("/t1/bx298", {0});
  terminal.model().key_literal("12345", 8);
  EXPECT_EQ(read_byte("/t1/bx298"), 51);
  const Bytes lit = read("/t1/Lit50");
  EXPECT_EQ(std::string(lit.begin(), lit.begin() + 6), std::string("12345\0", 6));
  EXPECT_EQ(read_byte("/t1/bx251"), 0);
  EXPECT_EQ(read_byte("/t1/bx252"), 8);
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
  EXPECT_EQ(terminal.control("select 2"), "weight selector 2 (wt501)");
  EXPECT_EQ(read_byte("/t1/vek15"), 2);
}

TEST_F(KtrvModelTest, ScaleSettlesOverTimeAndDriftStaysWithinBounds) {
  terminal.model().set_settle_time(400ms);
  terminal.model().set_weight(100);
  const double first = std::stod(std::string(reinterpret_cast<const char *>(read("/t1/wt101").data())));
  EXPECT_LT(first, 100.0);  // on its way
  ASSERT_TRUE(
      eventually([&] { return std::string(reinterpret_cast<const char *>(read("/t1/wt101").data())) == "  100.00"; }));
  terminal.model().set_drift(0.5);
  for (int i = 0; i < 50; ++i) {
    const double w = std::stod(std::string(reinterpret_cast<const char *>(read("/t1/wt101").data())));
    EXPECT_GE(w, 99.5);
    EXPECT_LE(w, 100.5);
  }
}

TEST_F(KtrvModelTest, InputsAndLowerDisplay) {
  terminal.model().set_input(1, true);
  terminal.model().set_input(12, true);
  EXPECT_EQ(read_byte("/t1/p_100"), 1);
  EXPECT_EQ(read_byte("/t1/p_10f"), 1);
  EXPECT_EQ(read_byte("/t1/p_108"), 0);
  EXPECT_FALSE(terminal.model().set_input(13, true));
  terminal.model().set_lower_display("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
  const Bytes lower = read("/t1/bd001");
  ASSERT_EQ(lower.size(), 50u);
  EXPECT_EQ(std::string(lower.begin() + 7, lower.begin() + 24), "HIJKLMNOPQRSTUVWX");
  EXPECT_EQ(lower[49], ' ');
}

}  // namespace

// The simulated terminal: the KTRV application model as the console meets
// it on the wire (the command mailbox handshake, each command's effect,
// events and literals) and the control language an operator drives it with.
#include <gtest/gtest.h>

#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <fstream>
#include <thread>

#include "control_language.h"
#include "loopback_udp.h"
#include "terminal.h"

using namespace vekx_test;
using vekxsim::OutputForce;
using vekxsim::Terminal;

namespace {

class KtrvModelTest : public ::testing::Test {
 protected:
  KtrvModelTest() : terminal({.command_delay = 0ms}) {}

  Bytes read(const std::string &field) {
    const Bytes reply = client.answer(read_request(field, ++sequence), terminal.port());
    EXPECT_EQ(status_of(reply), 0) << field;
    return value_of(reply);
  }
  std::uint8_t read_byte(const std::string &field) {
    const Bytes v = read(field);
    EXPECT_EQ(v.size(), 1u) << field;
    return v.empty() ? 0 : v[0];
  }
  void write(const std::string &field, const Bytes &value) {
    ASSERT_EQ(status_of(client.answer(write_request(field, value, ++sequence), terminal.port())), 0);
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

// A write answered with a failing status was applied all the same: the text
// of Lit02 changed, and a transaction posted to bx297 posted event 110.
TEST_F(KtrvModelTest, AWriteRefusedWithItsFieldsStatusChangesNothing) {
  for (const char *fault : {"fieldstatus Lit02 6", "fieldstatus bx297 5"}) vekxsim::control_answer(terminal, fault);
  const Bytes before = *terminal.service().fields().get("/t1/Lit02");
  EXPECT_EQ(status_of(client.answer(write_request("/t1/Lit02", text_bytes("NEW"), ++sequence), terminal.port())), 6);
  EXPECT_EQ(status_of(client.answer(write_request("/t1/bx297", {107}, ++sequence), terminal.port())), 5);
  EXPECT_EQ(terminal.service().fields().get("/t1/Lit02"), before);
  EXPECT_EQ(terminal.model().completed_transactions(), 0);
  EXPECT_TRUE(terminal.model().queued_events().empty());
}

TEST_F(KtrvModelTest, MailboxReads255WhilePendingThenZeroAndStays) {
  vekxsim::control_answer(terminal, "delay 300");
  const auto written = std::chrono::steady_clock::now();
  write("/t1/bx297", {15});
  EXPECT_EQ(read_byte("/t1/bx297"), 255);
  ASSERT_TRUE(eventually([&] { return read_byte("/t1/bx297") != 255; }));
  EXPECT_GE(std::chrono::steady_clock::now() - written, 300ms);
  EXPECT_EQ(read_byte("/t1/bx297"), 0);  // never back to 255 by itself
  EXPECT_FALSE(terminal.model().pending_command());
  // A 0 written over a pending command takes it back; a 0 taken as a
  // command would read 255 here.
  write("/t1/bx297", {15});
  write("/t1/bx297", {0});
  EXPECT_EQ(read_byte("/t1/bx297"), 0);
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
  const auto outs = terminal.model().outputs();
  EXPECT_EQ((std::array{outs[0], outs[4], outs[11]}),
            (std::array{OutputForce::none, OutputForce::on, OutputForce::off}));
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
  for (const auto &[first, source, value] : {std::tuple{'F', "/t1/bx252", 19}, std::tuple{'S', "/t1/bx251", 1}}) {
    write("/t1/bx298", {0});
    EXPECT_EQ(read_byte("/t1/bx298"), 51);
    EXPECT_EQ(read("/t1/Lit50")[0], first);
    EXPECT_EQ(read_byte(source), value);
  }
}

TEST_F(KtrvModelTest, WeightTextFollowsTheScaleAndTheSelector) {
  // 12.5 as "   12.50" and a NUL: VekxProgram.QuietDropsTheSuccessLinesButNotTheFailures.
  terminal.model().set_settle_time(0ms);
  terminal.model().set_weight(-3);
  const Bytes w5 = read("/t1/wt501");
  EXPECT_EQ(std::string(w5.begin(), w5.begin() + 8), "   -3.00");
  terminal.model().set_weight(-0.004);  // rounds to zero from below: never "-0.00"
  EXPECT_EQ(std::string(reinterpret_cast<const char *>(read("/t1/wt101").data())), "    0.00");
  terminal.model().set_weight(1e9);  // what 8 characters can show
  EXPECT_EQ(std::string(reinterpret_cast<const char *>(read("/t1/wt101").data())), "99999.99");
  EXPECT_EQ(vekxsim::control_answer(terminal, "select 2"), "weight selector 2 (wt501)");
  EXPECT_EQ(read_byte("/t1/vek15"), 2);
}

// wt101 would serve 99999.99 for a weight it cannot show: such a weight is
// refused, naming the range, and the weight stays as it was.
TEST_F(KtrvModelTest, AWeightTheWeightFieldCannotShowIsRefusedNamingTheRange) {
  terminal.model().set_settle_time(0ms);
  terminal.model().set_weight(12.5);
  for (const char *beyond : {"weight 100000", "weight 123456.78", "weight -10000"})
    EXPECT_NE(vekxsim::control_answer(terminal, beyond).find("-9999.99 to 99999.99"), std::string::npos) << beyond;
  const Bytes w = read("/t1/wt101");
  EXPECT_EQ(std::string(w.begin(), w.begin() + 8), "   12.50");
}

// The control commands of Terminal::control as the wire and the log show
// them: the traffic record, the log switch, the faults and quitting. What
// each command replies and refuses is tested through vekxsim's JSON control
// (python/tests/test_control_json.py) and its typed lines in
// control_language_test.cpp.

TEST(Control, TrafficFilteredByFieldAndTheLogSwitchedOff) {
  std::mutex m;  // before the terminal, so that they outlive its threads
  std::vector<std::string> lines;
  Terminal t;
  t.set_log([&](const std::string &l) {
    std::lock_guard lock(m);
    lines.push_back(l);
  });
  RawClient client;
  vekxsim::control_answer(t, "log off");
  ASSERT_TRUE(client.exchange(read_request("/t1/bx298", 1), t.port()));
  ASSERT_TRUE(client.exchange(read_request("/t1/wt101", 2), t.port()));
  EXPECT_NE(vekxsim::control_answer(t, "traffic 5")
                .find("OUT :" + std::to_string(client.port()) +
                      " field-access read /t1/bx298 -> /w1/w0001 seq=1 status=0 len=1 data=\"6\""),
            std::string::npos);
  const std::string weights = vekxsim::control_answer(t, "traffic wt10");  // only the weight's two datagrams
  EXPECT_EQ(std::count(weights.begin(), weights.end(), '\n'), 1) << weights;
  vekxsim::control_answer(t, "event 102");
  std::lock_guard lock(m);
  EXPECT_EQ(lines, std::vector<std::string>{"ktrv: event 102 queued behind the unacknowledged event 54"})
      << "with the log off, the model's notes and no traffic";
}

// Each fault word as an operator types it, seen on the wire.
TEST(Control, FaultWordsActOnTheWire) {
  Terminal t;
  RawClient client;
  std::uint8_t sequence = 0;
  // The first datagram back after a read of the field, if one comes in time.
  const auto answer = [&](const std::string &field, std::chrono::milliseconds wait = 2000ms) {
    client.send(read_request(field, ++sequence), t.port());
    return client.receive(wait);
  };
  EXPECT_EQ(vekxsim::control_answer(t, "silent on"), "silent: nothing is answered");
  EXPECT_EQ(vekxsim::control_answer(t, "silent off"), "answering again");
  EXPECT_EQ(vekxsim::control_answer(t, "drop 1"), "dropping the next 1 replies");
  EXPECT_FALSE(answer("/t1/bx298", 200ms));
  EXPECT_TRUE(answer("/t1/bx298")) << "only one dropped";
  EXPECT_EQ(vekxsim::control_answer(t, "fieldsilent bx297 on"), "reads of /t1/bx297 go unanswered");
  EXPECT_TRUE(answer("/t1/bx298")) << "other fields are answered";
  EXPECT_EQ(vekxsim::control_answer(t, "decoy sequence"), "a wrong-sequence reply goes before the next reply");
  const auto decoy = answer("/t1/bx298"), real = client.receive();
  ASSERT_TRUE(decoy && real);
  EXPECT_EQ(std::pair(sequence_of(*decoy), sequence_of(*real)),
            (std::pair<std::uint8_t, std::uint8_t>(sequence - 1, sequence)));
  EXPECT_EQ(vekxsim::control_answer(t, "replydelay 1000"), "replydelay 1000 ms");
  EXPECT_FALSE(answer("/t1/bx298", 300ms)) << "not before its time";
  EXPECT_TRUE(client.receive()) << "but after it";
}

// status left out the faults of single fields, and said "1 decoys".
TEST(Control, StatusListsEveryFaultInForce) {
  Terminal t;
  const auto faults = [&] {
    const std::string status = vekxsim::control_answer(t, "status");
    return status.substr(status.find("faults: ") + 8);
  };
  EXPECT_EQ(faults(), "none");
  vekxsim::control_answer(t, "decoy type");
  EXPECT_EQ(faults(), "1 decoy before the next reply");
  for (const char *fault : {"decoy name", "fieldstatus wt101 3", "fieldsilent bx251 on", "silent on"})
    vekxsim::control_answer(t, fault);
  EXPECT_EQ(faults(),
            "silent, 2 decoys before the next reply, reads of /t1/bx251 go unanswered, "
            "/t1/wt101 answers with status 3");
  for (const char *undo : {"fieldstatus wt101 0", "fieldsilent bx251 off", "silent off"})
    vekxsim::control_answer(t, undo);
  EXPECT_EQ(faults(), "2 decoys before the next reply");
}

// A quit that wakes no waiter leaves a sleep begun before it asleep: "quit"
// comes once the sleeping thread waits in the kernel (its state 'S').
TEST(Control, QuitAndSleepEndTogether) {
  Terminal t;
  EXPECT_FALSE(t.quit_requested());
  std::atomic<long> sleeper{0};
  const auto start = std::chrono::steady_clock::now();
  std::thread sleeping([&] {
    sleeper = syscall(SYS_gettid);
    EXPECT_EQ(vekxsim::control_answer(t, "sleep 20000"), "");
  });
  const auto asleep = [&] {
    std::ifstream stat("/proc/self/task/" + std::to_string(sleeper.load()) + "/stat");
    std::string line;
    std::getline(stat, line);
    return sleeper != 0 && line.size() > line.rfind(')') + 2 && line[line.rfind(')') + 2] == 'S';
  };
  EXPECT_TRUE(vekx_test::eventually(asleep));
  EXPECT_EQ(vekxsim::control_answer(t, "quit"), "bye");
  sleeping.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20))
      << "the sleep ends when the terminal quits";
  EXPECT_TRUE(t.quit_requested());
}

}  // namespace

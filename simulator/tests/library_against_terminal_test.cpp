// The client library against the simulated terminal over loopback: every
// field the console reads, the largest field both ways, and a terminal that
// goes away mid-call.
#include <gtest/gtest.h>

#include <atomic>
#include <stop_token>
#include <functional>
#include <map>
#include <string>
#include <thread>

#include "control_language.h"
#include "loopback_udp.h"
#include "terminal.h"
#include "terminal_status.h"
#include "vekxapi.h"

using namespace vekx_test;

namespace {

// Runs step over and over on its own thread until stopped (assigning {}
// stops and joins it) or the scope ends, so a failed assertion still joins it.
std::jthread repeating(std::function<void()> step) {
  return std::jthread([step = std::move(step)](const std::stop_token &stop) {
    while (!stop.stop_requested()) step();
  });
}

// A client's read of the weight: the library's result.
int read_weight() {
  char buffer[16];
  std::int16_t count = 0;
  return VekRead("/t1/wt101", 13, buffer, &count);
}

class LibraryAgainstTerminal : public ::testing::Test {
 protected:
  static vekxsim::TerminalOptions options() {
    return {.weight = 1234.5, .command_delay = 0ms, .extra_fields = {"xx001=HELLO"}};
  }
  void SetUp() override {
    terminal = std::make_unique<vekxsim::Terminal>(options());
    use_ports(terminal->port(), free_local_port_pair());
    ASSERT_EQ(VekRegisterProcess(1, "127.0.0.1", 1), 0);
  }
  void TearDown() override { VekCloseProcess(); }

  // A field read with the console's count, as the console reads it.
  std::string read(const char *field, std::int16_t size) {
    char buffer[600] = {};
    std::int16_t count = -1;
    EXPECT_EQ(VekRead(field, size, buffer, &count), 0) << field;
    EXPECT_EQ(count, size) << field << ": the terminal holds at least what the console reads";
    return std::string(buffer, count > 0 ? static_cast<std::size_t>(count) : 0);
  }

  std::unique_ptr<vekxsim::Terminal> terminal;
};

// The one place that checks the fields the console reads against the
// terminal: the names as they travel, spelled out here, so that a wrong name
// in the field map both sides share fails (the two it writes, Lit01 and
// Lit02: KtrvModelTest.EachCommandHasItsEffect).
TEST_F(LibraryAgainstTerminal, EveryFieldTheConsoleUsesWithTheConsolesCounts) {
  for (const char *one_byte :
       {"/t1/vek15", "/t1/bx297", "/t1/bx298", "/t1/bx251", "/t1/bx252", "/t1/p_100", "/t1/p_101", "/t1/p_102",
        "/t1/p_103", "/t1/p_108", "/t1/p_109", "/t1/p_10a", "/t1/p_10b", "/t1/p_10c", "/t1/p_10d", "/t1/p_10e",
        "/t1/p_10f", "/t1/bx201", "/t1/bx202", "/t1/bx203", "/t1/bx204", "/t1/bx205", "/t1/bx206", "/t1/bx207",
        "/t1/bx208", "/t1/bx209", "/t1/bx210", "/t1/bx211", "/t1/bx212"}) {
    read(one_byte, 1);
    ASSERT_FALSE(HasFailure()) << "stopped at the first field that failed";
  }
  EXPECT_EQ(read("/t1/wt101", 13).substr(0, 8), " 1234.50");
  EXPECT_EQ(read("/t1/wt501", 13).substr(0, 8), " 1234.50");
  read("/t1/Lit50", 40);
  vekxsim::control_answer(*terminal, "lower 1234567SCALE 1 IN MOTION");
  EXPECT_EQ(read("/t1/bd001", 50).substr(7, 17), "SCALE 1 IN MOTION");
}

// The terminal is stopped and destroyed while a client keeps reading: the
// client's calls give up with "no usable answer", nothing crashes, and a new
// terminal on the same port is read at once.
TEST_F(LibraryAgainstTerminal, ATerminalDestroyedWhileAClientSends) {
  std::atomic<int> answered{0}, unanswered{0};
  std::jthread client = repeating([&] { (read_weight() == 0 ? answered : unanswered)++; });
  ASSERT_TRUE(eventually([&] { return answered > 10; }));
  const std::uint16_t port = terminal->port();
  terminal.reset();
  ASSERT_TRUE(eventually([&] { return unanswered > 0; }, 5000ms));
  client = {};
  vekxsim::TerminalOptions again = options();
  again.port = port;
  terminal = std::make_unique<vekxsim::Terminal>(again);
  EXPECT_EQ(read("/t1/wt101", 13).substr(0, 8), " 1234.50");
}

// What a client and the control language see of a terminal: every field as
// the library reads it (its status and bytes), and the model's and the
// service's state as the control commands show it.
struct SeenState {
  std::map<std::string, std::pair<int, std::string>> reads;
  std::vector<std::string> shown;
  bool operator==(const SeenState &) const = default;
};

SeenState seen(vekxsim::Terminal &terminal) {
  SeenState state;
  for (const std::string &name : terminal.service().fields().names()) {
    char buffer[600] = {};
    std::int16_t count = 0;
    const int status = VekRead(name.c_str(), 600, buffer, &count);
    state.reads[name] = {status, std::string(buffer, count > 0 ? static_cast<std::size_t>(count) : 0)};
  }
  for (const char *command : {"fields", "status", "events", "inputs", "outputs", "display"})
    state.shown.push_back(vekxsim::control_answer(terminal, command));
  return state;
}

// After a test changed fields, statuses, silence, events, the scale, inputs,
// outputs, displays and faults, "reset" gives back what a client saw at
// start, without a restart: a reset that forgot one of them would leak one
// test's state into the next test of a suite sharing the simulator.
TEST_F(LibraryAgainstTerminal, ResetGivesBackTheStateAtStart) {
  const SeenState at_start = seen(*terminal);
  for (const char *change :
       {"set xx001 CHANGED", "set new1 NEW", "settle 5000", "weight 7", "drift 3", "select 5", "fieldstatus wt101 7",
        "fieldsilent bx251 on", "event 104", "key 12 enter", "input 3 1", "lower CHANGED", "setbyte bx201 1",
        "command 14", "delay 300", "replydelay 5", "drop 2", "decoy type"})
    ASSERT_EQ(vekxsim::control_answer(*terminal, change).rfind("error:", 0), std::string::npos) << change;
  ASSERT_EQ(VekDisplayText(1, "CHANGED DISPLAY "), 0);  // always 16 bytes
  ASSERT_EQ(VekWrite("/t1/bx203", 1, "\x02"), 0);
  ASSERT_NE(seen(*terminal), at_start) << "the changes show";

  ASSERT_EQ(vekxsim::control_answer(*terminal, "reset"), "terminal reset to its state at start");
  EXPECT_EQ(vekxsim::control_answer(*terminal, "traffic"), "no traffic") << "the traffic record starts again";
  EXPECT_EQ(seen(*terminal), at_start) << "every field as read and every state the commands show";
}

// Resets while a client reads and the control language looks on from other
// threads: every read is answered (at worst "no such field" while the
// fields are made again), nothing crashes, and the end state is the start's.
TEST_F(LibraryAgainstTerminal, ResetWhileAClientReads) {
  std::atomic<int> answered{0}, unanswered{0};
  std::jthread client = repeating([&] {
    const int status = read_weight();
    (status == 0 || status == vekx_common::terminal_status::no_such_field ? answered : unanswered)++;
  });
  std::jthread watcher = repeating([&] {
    for (const char *command : {"status", "fields", "traffic 5"}) vekxsim::control_answer(*terminal, command);
  });
  for (int i = 0; i < 50; ++i) {
    vekxsim::control_answer(*terminal, "weight " + std::to_string(i));
    vekxsim::control_answer(*terminal, "event 100");
    const int before = answered;
    vekxsim::control_answer(*terminal, "reset");
    ASSERT_TRUE(eventually([&] { return answered > before + 1; })) << "reads go on after reset " << i;
  }
  client = {};
  watcher = {};
  EXPECT_EQ(unanswered, 0);
}

}  // namespace

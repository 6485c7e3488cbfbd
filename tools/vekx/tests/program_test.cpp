// The vekx program against a simulated terminal in this process, on
// loopback ports of the test's own: what each command sends, what it
// prints, the cause and exit status it gives for each kind of result, and
// watch following fields the terminal changes.
#include <gtest/gtest.h>
#include <signal.h>

#include <memory>
#include <tuple>

#include "child_process.h"
#include "control_language.h"
#include "loopback_udp.h"
#include "terminal.h"

namespace vekx_tool_test {

using namespace std::chrono_literals;
using vekx_test::Bytes;
using vekx_test::Finished;
using vekx_test::RunningProgram;

class VekxProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    // A weight settled from the start.
    terminal = std::make_unique<vekxsim::Terminal>(
        vekxsim::TerminalOptions{.weight = 12.5, .command_delay = 0ms, .power_up = false});
    // The child inherits these; the library reads them when it registers.
    local_port = vekx_test::free_local_port_pair();
    vekx_test::use_ports(terminal->port(), local_port);
  }

  Finished vekx(const std::vector<std::string> &args) { return vekx_test::run_program(VEKX_PROGRAM, args); }
  // A run's exit status, standard output and standard error, to compare whole.
  using Outcome = std::tuple<int, std::string, std::string>;
  Outcome outcome(const std::vector<std::string> &args) {
    const Finished f = vekx(args);
    return {f.exit_status, f.out, f.err};
  }

  std::vector<vekxsim::TrafficRecord> received() const { return terminal->service().traffic().inbound(); }

  std::unique_ptr<vekxsim::Terminal> terminal;
  std::uint16_t local_port = 0;
};

using vekx_test::type_of;
using vekx_test::value_of;

namespace {

TEST_F(VekxProgram, ReadShowsTheValueInTheChosenForm) {
  vekxsim::control_answer(*terminal, "event 54");
  EXPECT_EQ(outcome({"read", "127.0.0.1", "/t1/bx298"}),
            Outcome(0, "54 '6'\n", "vekx: VekRead /t1/bx298: 0 success\n"));

  vekxsim::control_answer(*terminal, "set Lit50 ABCDEF");
  const Finished cut = vekx({"read", "127.0.0.1", "/t1/Lit50", "--size", "2"});
  EXPECT_EQ(cut.out, "AB\n");
  EXPECT_NE(cut.err.find("filled the 2-byte buffer and may be longer (--size)"), std::string::npos) << cut.err;

  EXPECT_EQ(vekx({"read", "127.0.0.1", "/t1/Lit50", "--formatted"}).err,
            "vekx: VekFormattedRead /t1/Lit50: 0 success\n");
}

// An accepted reply without a value prints an empty line; a terminal status
// of 1, 2 or 4 is told from the library's own results of the same number.
TEST_F(VekxProgram, AnsweredReadsWithoutAValue) {
  vekxsim::control_answer(*terminal, "sethex Lit50");
  EXPECT_EQ(outcome({"read", "127.0.0.1", "/t1/Lit50"}), Outcome(0, "\n", "vekx: VekRead /t1/Lit50: 0 success\n"));
  for (const char *status : {"1", "2", "4"}) {
    vekxsim::control_answer(*terminal, std::string("fieldstatus Lit50 ") + status);
    const std::string note = std::string(status) == "4" ? " (vekxsim: another node's field; a terminal's status "
                                                          "bytes are its own)"
                                                        : "";
    EXPECT_EQ(outcome({"read", "127.0.0.1", "/t1/Lit50"}),
              Outcome(3, "", std::string("vekx: VekRead /t1/Lit50: terminal status ") + status + note + "\n"));
  }
}

// Texts cross in the terminal's Windows-1252, typed in UTF-8.
TEST_F(VekxProgram, WritesTextAndBytesAsGiven) {
  EXPECT_EQ(outcome({"write", "127.0.0.1", "/t1/Lit01", "Grüße"}),
            Outcome(0, "", "vekx: VekWrite /t1/Lit01: 0 success\n"));
  EXPECT_EQ(terminal->service().fields().get("/t1/Lit01"), (Bytes{'G', 'r', 0xFC, 0xDF, 'e'}));

  terminal->service().traffic().clear();
  EXPECT_EQ(vekx({"write", "127.0.0.1", "/t1/bx205", "02", "--hex", "--formatted"}).err,
            "vekx: VekFormattedWrite /t1/bx205: 0 success\n");
  EXPECT_EQ(value_of(received().at(0).bytes), Bytes{2});
}

TEST_F(VekxProgram, DisplayResetAndKeystrokesAreOneWay) {
  EXPECT_EQ(vekx({"display", "127.0.0.1", "1", "HELLO Wörld"}).exit_status, 0);
  EXPECT_EQ(vekx({"reset-display", "127.0.0.1", "1"}).exit_status, 0);
  EXPECT_EQ(vekx({"key", "127.0.0.1", "1", "2", "0x0d"}).exit_status, 0);
  ASSERT_EQ(terminal->service().traffic().wait_inbound(4, 2s), 4u);
  const auto got = received();
  EXPECT_EQ(value_of(got[1].bytes), vekx_test::text_bytes("\x01HELLO W\xF6rld     "));
  EXPECT_EQ(type_of(got[3].bytes), 1024);
  EXPECT_EQ(value_of(got[3].bytes), Bytes{0x0d});
}

// Where nothing listens, display sent its first datagram, met the system's
// report of its refusal at the second and said "1 not sent", while key,
// one datagram, said "0 sent": both datagrams went out, and both say so.
TEST_F(VekxProgram, OneWayCommandsToAPortWhereNothingListensSayTheSame) {
  vekx_test::use_ports(vekx_test::free_local_port_pair(), local_port);
  EXPECT_EQ(outcome({"display", "127.0.0.1", "1", "HELLO"}),
            Outcome(0, "", "vekx: VekDisplayText 1: 0 sent (no reply expected)\n"));
  EXPECT_EQ(outcome({"key", "127.0.0.1", "1", "2", "0x0d"}),
            Outcome(0, "", "vekx: VekSendKeystroke 1: 0 sent (no reply expected)\n"));
}

// -q leaves standard output to the values and standard error to failures.
TEST_F(VekxProgram, QuietDropsTheSuccessLinesButNotTheFailures) {
  EXPECT_EQ(outcome({"read", "-q", "127.0.0.1", "/t1/wt101"}), Outcome(0, "   12.50\n", ""));
  EXPECT_EQ(outcome({"write", "127.0.0.1", "/t1/Lit01", "x", "--quiet"}), Outcome(0, "", ""));
  EXPECT_EQ(vekx({"display", "127.0.0.1", "1", "HELLO", "-q"}).err, "");
  EXPECT_EQ(outcome({"read", "127.0.0.1", "/t1/wt10l", "--quiet"}),
            Outcome(3, "",
                    "vekx: VekRead /t1/wt10l: terminal status 3 (vekxsim: no such field; a terminal's "
                    "status bytes are its own)\n"));
  EXPECT_EQ(vekx({"watch", "127.0.0.1", "/t1/wt101", "-q"}).exit_status, 2) << "watch prints no result lines";
}

// Each cause's wording is checked on result_text; here, that the program
// gives it what it needs and exits with its status.
TEST_F(VekxProgram, FailuresNameTheirCause) {
  struct Case {
    std::vector<std::string> args;
    std::string err;
    int exit;
  };
  const std::string port = std::to_string(terminal->port());
  const Case cases[] = {
      // A typo in a field name: the terminal has no such field.
      {{"write", "127.0.0.1", "/t1/wt10l", "x"},
       "vekx: VekWrite /t1/wt10l: terminal status 3 (vekxsim: no such field; a terminal's status bytes are its own)\n",
       3},
      // Results 2 and 4 name the rule the field name breaks.
      {{"read", "127.0.0.1", "t1/wt101"},
       "vekx: VekRead t1/wt101: 2 bad argument: t1/wt101 has one '/'; a field name looks like /t1/wt101\n",
       4},
      {{"write", "127.0.0.1", "/x1/wt101", "1"},
       "vekx: VekWrite /x1/wt101: 4 bad node: /x1/wt101 has the node letter 'x' where t or T belongs\n",
       4},
      {{"read", "127.0.0.1", "/t2/wt101"}, "vekx: VekRead /t2/wt101: 10038 node 2 has no address in 127.0.0.1\n", 5},
      // An address not written as it is sent reaches the host it stands
      // for, with a note: a short form, or four parts with a leading zero.
      {{"read", "127.0.0.01", "/t1/bx297", "--dec"},
       "vekx: note: 127.0.0.01 is 127.0.0.1\nvekx: VekRead /t1/bx297: 0 success\n",
       0},
  };
  for (const Case &c : cases) EXPECT_EQ(outcome(c.args), Outcome(c.exit, c.exit == 0 ? "0\n" : "", c.err)) << c.err;
  vekx_test::set_environment("VEKX_LOCAL_PORT", "abc");
  EXPECT_EQ(vekx({"read", "127.0.0.1", "/t1/wt101"}).err,
            "vekx: VekRegisterProcess 127.0.0.1: 2 bad argument: VEKX_LOCAL_PORT=abc is not a port number from 1 to "
            "65520\n");
  vekx_test::use_ports(terminal->port(), vekx_test::free_local_port_pair());

  terminal->service().faults().set_silent(true);
  EXPECT_EQ(outcome({"read", "127.0.0.1", "/t1/bx297"}),
            Outcome(1, "", "vekx: VekRead /t1/bx297: 1 no usable answer from 127.0.0.1:" + port + "\n"));
}

TEST_F(VekxProgram, BadArgumentsGiveOneLineAndAPointerToHelpAndSendNothing) {
  // Each refusal reason is checked on the parser; here, what the program does with one.
  EXPECT_EQ(outcome({"read", "127.0.0.1", "/t1/wt101", "--bogus"}),
            Outcome(2, "", "vekx: unknown option --bogus\nsee vekx --help\n"));
  EXPECT_EQ(terminal->service().traffic().wait_inbound(1, 200ms), 0u);
  const Finished version = vekx({"--version"});
  EXPECT_EQ(version.exit_status, 0);
  EXPECT_EQ(version.out.rfind("vekx 1.", 0), 0u) << version.out;
}

bool line_has(const std::string &line, const std::string &text) { return line.find(text) != std::string::npos; }

TEST_F(VekxProgram, WatchPrintsFirstValuesThenEachChangeInEachFieldsForm) {
  RunningProgram watch(VEKX_PROGRAM, {"watch", "127.0.0.1", "/t1/wt101:hex", "/t1/bx298", "--interval", "50"});
  ASSERT_TRUE(watch.wait_for_line([](auto &l) { return line_has(l, " /t1/bx298 0"); }, 5s));
  // The first round shows every field, in the order given.
  ASSERT_EQ(watch.lines().size(), 2u);
  EXPECT_TRUE(line_has(watch.lines()[0], " /t1/wt101 20 20 20 31 32 2e 35 30")) << watch.lines()[0];

  vekxsim::control_answer(*terminal, "event 104");
  EXPECT_TRUE(watch.wait_for_line([](auto &l) { return line_has(l, " /t1/bx298 104 'h'"); }, 5s));
  vekxsim::control_answer(*terminal, "sethex bx298");  // an empty value
  EXPECT_TRUE(watch.wait_for_line([](auto &l) { return line_has(l, " /t1/bx298 \"\""); }, 5s));
  vekxsim::control_answer(*terminal, "ack");
  EXPECT_TRUE(watch.wait_for_line([](auto &l) { return line_has(l, " /t1/bx298 0"); }, 5s));
  EXPECT_EQ(watch.stop(SIGTERM), 0);

  // Each line is a change: the mailbox went 0, 104, empty, 0, and the
  // weight, which stayed, shows once.
  int mailbox_lines = 0, weight_lines = 0;
  for (const auto &l : watch.lines()) {
    mailbox_lines += line_has(l, "/t1/bx298");
    weight_lines += line_has(l, "/t1/wt101");
  }
  EXPECT_EQ(std::pair(mailbox_lines, weight_lines), std::pair(4, 1));
}

TEST_F(VekxProgram, WatchWritesCsvWithEmptyValuesAndFailures) {
  vekxsim::control_answer(*terminal, "set Lit50 FIRST");
  RunningProgram watch(VEKX_PROGRAM, {"watch", "127.0.0.1", "/t1/Lit50", "--interval", "20", "--csv"});
  ASSERT_TRUE(watch.wait_for_line([](auto &l) { return line_has(l, ",/t1/Lit50,FIRST,0 success"); }, 5s));
  EXPECT_EQ(watch.lines()[0], "time,field,value,result");
  vekxsim::control_answer(*terminal, "sethex Lit50");
  EXPECT_TRUE(watch.wait_for_line([](auto &l) { return line_has(l, ",/t1/Lit50,,0 success"); }, 5s));
  vekxsim::control_answer(*terminal, "fieldstatus Lit50 7");
  EXPECT_TRUE(watch.wait_for_line(
      [](auto &l) { return line_has(l, ",/t1/Lit50,,terminal status 7 (vekxsim: store full; a terminal"); }, 5s));
  EXPECT_EQ(watch.stop(SIGINT), 0);  // a read succeeded
}

TEST_F(VekxProgram, WatchWithoutASuccessfulReadEndsWithTheLastFailure) {
  RunningProgram watch(VEKX_PROGRAM, {"watch", "127.0.0.1", "/t1/nosuch", "--interval", "20"});
  EXPECT_TRUE(watch.wait_for_line([](auto &l) { return line_has(l, "(terminal status 3"); }, 5s));
  EXPECT_EQ(watch.stop(SIGTERM), 3);
}

TEST_F(VekxProgram, WatchEndsAtOnceWhenRegistrationIsRefused) {
  EXPECT_EQ(outcome({"watch", "1.2.3.4.5", "/t1/wt101", "--interval", "10"}),
            Outcome(4, "", "vekx: VekRegisterProcess 1.2.3.4.5: 5 the address breaks the rules\n"));
}

}  // namespace
}  // namespace vekx_tool_test

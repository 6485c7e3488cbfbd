// vekx watch following fields that the simulated terminal changes.
#include <signal.h>

#include "program_fixture.h"

namespace vekx_tool_test {
namespace {

bool line_has(const std::string &line, const std::string &text) { return line.find(text) != std::string::npos; }

TEST_F(VekxProgram, WatchPrintsFirstValuesThenEachChangeInEachFieldsForm) {
  RunningProgram watch(VEKX_PROGRAM, {"watch", "127.0.0.1", "/t1/wt101:hex", "/t1/bx298", "--interval", "50"});
  ASSERT_TRUE(watch.wait_for_line([](auto &l) { return line_has(l, " /t1/bx298 0"); }, 5s));
  // The first round shows every field, in the order given.
  ASSERT_EQ(watch.lines().size(), 2u);
  EXPECT_TRUE(line_has(watch.lines()[0], " /t1/wt101 20 20 20 31 32 2e 35 30")) << watch.lines()[0];

  terminal->control("event 104");
  EXPECT_TRUE(watch.wait_for_line([](auto &l) { return line_has(l, " /t1/bx298 104 'h'"); }, 5s));
  terminal->control("sethex bx298");  // an empty value
  EXPECT_TRUE(watch.wait_for_line([](auto &l) { return line_has(l, " /t1/bx298 \"\""); }, 5s));
  terminal->control("ack");
  EXPECT_TRUE(watch.wait_for_line([](auto &l) { return line_has(l, " /t1/bx298 0"); }, 5s));
  EXPECT_EQ(watch.stop(SIGTERM), 0);

  // Each line is a change: the mailbox went 0, 104, empty, 0; nothing repeats.
  int mailbox_lines = 0;
  for (const auto &l : watch.lines()) mailbox_lines += line_has(l, "/t1/bx298");
  EXPECT_EQ(mailbox_lines, 4);
}

TEST_F(VekxProgram, WatchWritesCsvWithEmptyValuesAndFailures) {
  terminal->control("set Lit50 FIRST");
  RunningProgram watch(VEKX_PROGRAM, {"watch", "127.0.0.1", "/t1/Lit50", "--interval", "20", "--csv"});
  ASSERT_TRUE(watch.wait_for_line([](auto &l) { return line_has(l, ",/t1/Lit50,FIRST,0 success"); }, 5s));
  EXPECT_EQ(watch.lines()[0], "time,field,value,result");
  terminal->control("sethex Lit50");
  EXPECT_TRUE(watch.wait_for_line([](auto &l) { return line_has(l, ",/t1/Lit50,,0 success"); }, 5s));
  terminal->control("fieldstatus Lit50 7");
  EXPECT_TRUE(watch.wait_for_line(
      [](auto &l) { return line_has(l, ",/t1/Lit50,,terminal status 7 (vekxsim: store full; a terminal"); }, 5s));
  EXPECT_EQ(watch.stop(SIGINT), 0);
}

TEST_F(VekxProgram, WatchEndsAtOnceWhenRegistrationIsRefused) {
  const Finished f = vekx({"watch", "1.2.3.4.5", "/t1/wt101", "--interval", "10"});
  EXPECT_EQ(f.err, "vekx: VekRegisterProcess 1.2.3.4.5: 5 bad address\n");
  EXPECT_EQ(f.exit_status, 4);
  EXPECT_EQ(f.out, "");
}

}  // namespace
}  // namespace vekx_tool_test

// The vekxsim program itself: fields from its command line, the strict and
// the lenient store over the wire, commands on standard input, and a prompt
// end on a signal while its standard input stays open.
#include <gtest/gtest.h>
#include <signal.h>

#include "child_process.h"
#include "loopback_udp.h"

using namespace vekx_test;

namespace {

TEST(VekxsimProgram, FieldsStdinAndAPromptEndOnSigterm) {
  RunningProgram sim(VEKXSIM_PROGRAM,
                     {"--port", "0", "--quiet", "--field", "/t1/extra=HELLO W\u00f6rld", "--field", "spare"});
  const std::uint16_t port = started(sim);
  // Commands come from a pipe, not from a person at a terminal: no prompt.
  EXPECT_EQ(sim.lines().back().find("type help"), std::string::npos) << sim.lines().back();
  RawClient client;
  EXPECT_EQ(text_of(client.answer(read_request("/t1/extra", 1), port)), "HELLO W\xf6rld") << "stored in Windows-1252";
  EXPECT_EQ(status_of(client.answer(read_request("/t1/spare", 2), port)), 0);
  sim.write_line("setbyte spare 7");
  EXPECT_TRUE(sim.wait_for_line([](const std::string &l) { return l.find("/t1/spare len=1") == 0; }, 5s));
  // Its standard input stays open: the signal alone must end it.
  const auto before = std::chrono::steady_clock::now();
  EXPECT_EQ(sim.stop(SIGTERM), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - before, 1s);
}

TEST(VekxsimProgram, LenientWithoutStandardInput) {
  RunningProgram sim(VEKXSIM_PROGRAM, {"--port", "0", "--quiet", "--lenient", "--no-stdin"});
  const std::uint16_t port = started(sim);
  RawClient client;
  EXPECT_EQ(status_of(client.answer(write_request("/t1/made", {'x'}, 1), port)), 0);
  EXPECT_EQ(text_of(client.answer(read_request("/t1/made", 2), port)), "x");
  sim.write_line("quit");  // not read
  EXPECT_FALSE(sim.wait_for_line([](const std::string &l) { return l == "bye"; }, 300ms));
  EXPECT_EQ(sim.stop(SIGINT), 0);
}

// Without --port it serves the documented 1701 (or, should another program
// hold that port, says so of 1701).
TEST(VekxsimProgram, WithoutAPortItServes1701) {
  RunningProgram sim(VEKXSIM_PROGRAM, {"--quiet", "--no-stdin"});
  if (sim.wait_for_line([](const std::string &l) { return l.find(" serving ") != std::string::npos; }, 5s))
    EXPECT_EQ(sim.lines().back(), "vekxsim: node 1 serving 127.0.0.1:1701");
  else
    EXPECT_EQ(sim.errors().rfind("vekxsim: cannot serve on 127.0.0.1:1701: address in use", 0), 0u) << sim.errors();
  sim.stop(SIGTERM);
}

TEST(VekxsimProgram, AScriptItCannotReadEndsItAtStart) {
  const Finished f = run_program(VEKXSIM_PROGRAM, {"--port", "0", "--script", "/nonexistent/s.vsim"});
  EXPECT_EQ(std::tie(f.exit_status, f.out, f.err),
            std::tuple(2, "", "vekxsim: cannot read script /nonexistent/s.vsim: No such file or directory\n"))
      << "it never served";
  // --quiet with --log wrote a log holding its header alone, which --replay refused.
  const Finished quiet = run_program(VEKXSIM_PROGRAM, {"--port", "0", "--quiet", "--log", "/nonexistent/x.log"});
  EXPECT_EQ(quiet.exit_status, 2);
  EXPECT_NE(quiet.err.find("--quiet leaves out the traffic lines that --log"), std::string::npos) << quiet.err;
}

}  // namespace

// vekxsim's command line: its defaults, what each option sets and how a
// refused one is worded.
#include <gtest/gtest.h>

#include "program_options.h"

namespace vekxsim {
namespace {

ProgramOptions parsed(const std::vector<std::string> &args) {
  const ParsedOptions p = parse_program_options(args);
  if (!p.options) ADD_FAILURE() << "refused: " << p.error;
  return p.options.value_or(ProgramOptions{});
}

// The documented default port; the in-process terminal's 0 must not leak
// into the program.
TEST(ProgramOptions, WithoutOptionsItServesPort1701OnLoopback) {
  const ProgramOptions o = parsed({});
  EXPECT_EQ(o.terminal.port, 1701);
  EXPECT_EQ(o.terminal.listen_address, "127.0.0.1");
  EXPECT_EQ(o.terminal.node, 1);
  EXPECT_TRUE(o.read_stdin);
  EXPECT_EQ(parsed({"--port", "0"}).terminal.port, 0);
}

TEST(ProgramOptions, EachOptionSetsItsPart) {
  const ProgramOptions o = parsed({"--listen", "127.0.0.2", "--port", "11701", "--node", "16", "--weight", "7.25",
                                   "--delay", "0", "--no-power-up", "--field", "/t1/x=A", "--field", "y", "--lenient",
                                   "--script", "s.vsim", "--log", "l.txt", "--quiet", "--no-stdin"});
  EXPECT_EQ(o.terminal.listen_address, "127.0.0.2");
  EXPECT_EQ(o.terminal.port, 11701);
  EXPECT_EQ(o.terminal.node, 16);
  EXPECT_EQ(o.terminal.weight, 7.25);
  EXPECT_EQ(o.terminal.command_delay, std::chrono::milliseconds(0));
  EXPECT_FALSE(o.terminal.power_up);
  EXPECT_EQ(o.terminal.extra_fields, (std::vector<std::string>{"/t1/x=A", "y"}));
  EXPECT_TRUE(o.terminal.lenient);
  EXPECT_EQ(o.script, "s.vsim");
  EXPECT_EQ(o.log_file, "l.txt");
  EXPECT_TRUE(o.quiet);
  EXPECT_FALSE(o.read_stdin);
  EXPECT_TRUE(parsed({"-h"}).help);
}

TEST(ProgramOptions, RefusalsNameTheOptionTheValueAndTheRange) {
  const struct {
    std::vector<std::string> args;
    const char *error;
  } rows[] = {
      {{"--port", "70000"}, "--port 70000: must be a number from 0 to 65535"},
      {{"--node", "17"}, "--node 17: must be a number from 1 to 16"},
      {{"--delay", "-1"}, "--delay -1: must be a number from 0 to 600000"},
      {{"--weight", "heavy"}, "--weight heavy: must be a number such as 12.5"},
      {{"--listen", "1.2.3.4.5"}, "--listen 1.2.3.4.5: must be an IPv4 address such as 127.0.0.1"},
      {{"--quite"}, "unknown option --quite (did you mean --quiet?)"},
      {{"--port"}, "--port needs a value (N)"},
  };
  for (const auto &row : rows) EXPECT_EQ(parse_program_options(row.args).error, row.error);
}

}  // namespace
}  // namespace vekxsim

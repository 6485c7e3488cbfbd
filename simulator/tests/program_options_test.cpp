// How vekxsim words a refused option. (The program tests use the options,
// and the default port, themselves.)
#include <gtest/gtest.h>

#include "program_options.h"

namespace vekxsim {
namespace {

TEST(ProgramOptions, RefusalsNameTheOptionTheValueAndTheRange) {
  const struct {
    std::vector<std::string> args;
    const char *error;
  } rows[] = {
      {{"--port", "70000"}, "--port 70000: must be a number from 0 to 65535"},
      {{"--listen", "1.2.3.4.5"}, "--listen 1.2.3.4.5: must be an IPv4 address such as 127.0.0.1"},
      {{"--no"}, "unknown option --no"},  // begins three: no guess
      {{"--port"}, "--port needs a value (N)"},
      {{"--control", "xml"}, "--control xml: must be text or json"},
      // strtod took it as a number; which texts are numbers is ControlText's test.
      {{"--weight", "inf"}, "--weight inf: must be a decimal number such as 12.5 or -3"},
      {{"--weight", "100000"}, "--weight 100000: beyond what wt101 can show: give -9999.99 to 99999.99"},
      {{"--prot=0"}, "unknown option --prot (did you mean --port?)"},
      {{"--quiet=yes"}, "--quiet takes no value (given --quiet=yes)"},
      {{"--", "--port"}, "vekxsim takes options only, not --port"},
      {{"--session", "0", "--replay", "x.log"}, "--session 0: must be a number from 1 to 1000000"},
      {{"--session", "2"}, "--session needs --replay FILE"},
      {{"--control", "json", "--replay", "x.pcap"}, ""},  // the replay answers its own commands
  };
  for (const auto &row : rows) EXPECT_EQ(parse_program_options(row.args).error, row.error);
}

TEST(ProgramOptions, AValueFollowsItsOptionOrComesAfterAnEqualsSign) {
  const ParsedOptions parsed = parse_program_options({"--port=0", "--weight", "-3.5", "--field=a=b", "--quiet", "--"});
  ASSERT_TRUE(parsed.options) << parsed.error;
  EXPECT_EQ(parsed.options->terminal.port, 0);
  EXPECT_EQ(parsed.options->terminal.weight, -3.5);
  EXPECT_EQ(parsed.options->terminal.extra_fields, std::vector<std::string>{"a=b"});
  EXPECT_TRUE(parsed.options->quiet);
}

}  // namespace
}  // namespace vekxsim

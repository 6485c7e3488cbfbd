// The vekx program against a simulated terminal in this process, on
// loopback ports of the test's own.
#ifndef VEKX_TOOL_TESTS_PROGRAM_FIXTURE_H
#define VEKX_TOOL_TESTS_PROGRAM_FIXTURE_H

#include <gtest/gtest.h>

#include <memory>

#include "child_process.h"
#include "free_ports.h"
#include "raw_udp.h"
#include "terminal.h"

namespace vekx_tool_test {

using namespace std::chrono_literals;
using vekx_test::Bytes;
using vekx_test::Finished;
using vekx_test::RunningProgram;

class VekxProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    vekxsim::TerminalOptions options;
    options.port = 0;
    options.command_delay = 0ms;
    options.power_up = false;
    options.weight = 12.5;  // settled from the start
    terminal = std::make_unique<vekxsim::Terminal>(options);
    // The child inherits these; the library reads them when it registers.
    vekx_test::use_ports(terminal->port(), vekx_test::free_local_port_pair());
  }

  Finished vekx(const std::vector<std::string> &args) { return vekx_test::run_program(VEKX_PROGRAM, args); }

  std::vector<vekxsim::TrafficRecord> received() const { return terminal->service().traffic().inbound(); }

  std::unique_ptr<vekxsim::Terminal> terminal;
};

using vekx_test::type_of;
inline Bytes data_of(const Bytes &d) { return vekx_test::value_of(d); }

}  // namespace vekx_tool_test

#endif

// The vekx program against a simulated terminal in this process, on
// loopback ports of the test's own.
#ifndef VEKX_TOOL_TESTS_PROGRAM_FIXTURE_H
#define VEKX_TOOL_TESTS_PROGRAM_FIXTURE_H

#include <gtest/gtest.h>
#include <stdlib.h>

#include <memory>

#include "child_process.h"
#include "test_ports.h"
#include "terminal.h"

namespace vekx_tool_test {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

class VekxProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    vekxsim::TerminalOptions options;
    options.port = 0;
    options.command_delay = 0ms;
    options.power_up = false;
    options.weight = 12.5;  // settled from the start
    terminal = std::make_unique<vekxsim::Terminal>(options);
    local_port = vekx_test::free_local_port_pair();
    // The child inherits these; the library reads them when it registers.
    setenv("VEKX_TERMINAL_PORT", std::to_string(terminal->port()).c_str(), 1);
    setenv("VEKX_LOCAL_PORT", std::to_string(local_port).c_str(), 1);
  }

  Finished vekx(const std::vector<std::string> &args) { return run_program(VEKX_PROGRAM, args); }

  std::vector<vekxsim::TrafficRecord> received() const { return terminal->service().inbound(); }

  std::unique_ptr<vekxsim::Terminal> terminal;
  std::uint16_t local_port = 0;
};

inline std::uint16_t type_of(const Bytes &d) { return static_cast<std::uint16_t>(d.at(2) | (d.at(3) << 8)); }
inline Bytes data_of(const Bytes &d) { return Bytes(d.begin() + 29, d.begin() + 29 + (d.at(27) | (d.at(28) << 8))); }

}  // namespace vekx_tool_test

#endif

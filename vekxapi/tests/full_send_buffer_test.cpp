// A node's socket whose send buffer stays full: the library waits 100 ms for
// it to become writable, then gives up with 1 and keeps the node. The buffer
// fills for real, in a network of the test's own whose loopback carries
// 8 kbit/s; the test skips where the system grants no such network.
#include <sched.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "loopback_udp.h"
#include "vekxapi.h"

namespace vekx_test {
namespace {

bool write_file(const char *path, const std::string &text) { return static_cast<bool>(std::ofstream(path) << text); }

// Empty when this process has its own network with a slow loopback, else why not.
std::string slow_loopback_of_our_own() {
  const std::string uid = std::to_string(getuid()), gid = std::to_string(getgid());
  // As root a network namespace is enough; otherwise a user namespace comes with it.
  if (unshare(CLONE_NEWNET) != 0 &&
      (unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0 || !write_file("/proc/self/setgroups", "deny") ||
       !write_file("/proc/self/uid_map", "0 " + uid + " 1") || !write_file("/proc/self/gid_map", "0 " + gid + " 1")))
    return "the system grants no network namespace (unshare)";
  if (std::system("ip link set lo up && tc qdisc add dev lo root tbf rate 8kbit burst 1600 limit 10000000") != 0)
    return "ip or tc (iproute2) could not slow down loopback";
  return "";
}

TEST(FullSendBuffer, AnUnwritableSocketGivesOneAfterAHundredMillisecondsAndTheNodeStaysOpen) {
  if (const std::string why = slow_loopback_of_our_own(); !why.empty()) GTEST_SKIP() << why;
  const RawClient terminal;  // never reads: what reaches it is dropped
  const std::uint16_t local_port = free_local_port_pair();
  use_ports(terminal.port(), local_port);
  ASSERT_EQ(VekRegisterProcess(1, "127.0.0.1", 1), 0);

  int16_t result = 0;
  int sends = 0;
  auto took = std::chrono::steady_clock::duration{};
  for (; result == 0 && sends < 100000; ++sends) {
    const auto start = std::chrono::steady_clock::now();
    result = VekSendKeystroke(1, VEKX_KEY_KIND_1, 'A');
    took = std::chrono::steady_clock::now() - start;
  }
  EXPECT_EQ(result, 1) << "after " << sends << " keystrokes queued on loopback";
  EXPECT_GE(took, 100ms) << "the last one waited 100 ms for writability";
  EXPECT_FALSE(udp_port_free(local_port)) << "the node keeps its socket";

  ASSERT_EQ(std::system("tc qdisc del dev lo root"), 0) << "the queue goes, and the send buffer with it";
  EXPECT_EQ(VekSendKeystroke(1, VEKX_KEY_KIND_1, 'A'), 0);
  VekCloseProcess();
}

}  // namespace
}  // namespace vekx_test

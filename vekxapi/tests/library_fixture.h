// A registered library talking to an in-process terminal service on
// loopback, on ports of the test's own.
#ifndef VEKX_LIBRARY_FIXTURE_H
#define VEKX_LIBRARY_FIXTURE_H

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "loopback_udp.h"
#include "shared_data_service.h"
#include "vekxapi.h"

namespace vekx_test {

// The datagram with its sequence byte blanked, so it can be compared with
// another request or a record built with sequence 0.
inline Bytes without_sequence(Bytes d) {
  d.at(26) = 0;
  return d;
}

class LibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    peer = std::make_unique<vekxsim::SharedDataService>("127.0.0.1", 0, 1);
    // The wire tests write to fields they never set up.
    peer->fields().set_lenient(true);
    peer->start();
    local_port = free_local_port_pair();
    use_ports(peer->port(), local_port);
  }
  void TearDown() override {
    VekCloseProcess();
    peer.reset();
  }
  void register_loopback() { ASSERT_EQ(VekRegisterProcess(1, "127.0.0.1", 1), 0); }

  // Datagrams the terminal received, in order.
  std::vector<vekxsim::TrafficRecord> received() const { return peer->traffic().inbound(); }
  Bytes received_bytes(std::size_t i) const { return received().at(i).bytes; }

  std::unique_ptr<vekxsim::SharedDataService> peer;
  std::uint16_t local_port = 0;
};

}  // namespace vekx_test

#endif

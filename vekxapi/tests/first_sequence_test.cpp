// Runs in a process of its own: the first datagram after loading the
// library carries sequence 1.
#include "library_fixture.h"

namespace vekx_test {
namespace {

TEST_F(LibraryTest, FirstDatagramAfterLoadCarriesOne) {
  register_loopback();
  ASSERT_EQ(VekResetDisplay(1), 0);
  ASSERT_EQ(peer->traffic().wait_inbound(1, 1s), 1u);
  EXPECT_EQ(sequence_of(received_bytes(0)), 1);
}

}  // namespace
}  // namespace vekx_test

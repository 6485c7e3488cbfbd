// Registration, closing, and the refusals that come before any argument.
#if defined(_WIN32)
#  include <winsock.h>
#endif

#include <cstring>

#include "library_fixture.h"

namespace vekx_test {
namespace {

// The process type names the source: /wN/w000N.
TEST_F(LibraryTest, RegisterCloseAndRegisterAgain) {
  EXPECT_EQ(VekCloseProcess(), -2);
  EXPECT_EQ(VekRegisterProcess(1, "127.0.0.1", 1), 0);
  EXPECT_EQ(VekRegisterProcess(1, "127.0.0.1", 1), -1) << "a second registration is refused";
  EXPECT_EQ(VekCloseProcess(), 0);
  EXPECT_EQ(VekCloseProcess(), -2);
  EXPECT_EQ(VekRegisterProcessC(2, "127.0.0.1", 1), 0);
  EXPECT_EQ(VekWrite("/t1/x", 1, "1"), 0);
  const Bytes d = received_bytes(0);
  EXPECT_EQ((Bytes{d.begin() + 4, d.begin() + 14}), (Bytes{'/', 'w', '2', '/', 'w', '0', '0', '0', '2', 0}));
  EXPECT_EQ(VekCloseProcessC(), 0);
}

TEST_F(LibraryTest, RefusalsLeaveTheLibraryUnregistered) {
  EXPECT_EQ(VekRegisterProcess(0, "127.0.0.1", 1), 2);
  EXPECT_EQ(VekRegisterProcess(3, "127.0.0.1", 1), 2);
  EXPECT_EQ(VekRegisterProcess(1, "127.0.0.1,", 2), 5);
  EXPECT_EQ(VekRegisterProcess(1, nullptr, 1), 2);
  EXPECT_EQ(VekCloseProcess(), -2) << "none of the above may have registered";
}

TEST_F(LibraryTest, BadPortVariablesRegisterNothing) {
  for (const char *bad : {"0", "65536", "abc", "12x", "-5", " 80"}) {
    set_environment("VEKX_TERMINAL_PORT", bad);
    EXPECT_EQ(VekRegisterProcess(1, "127.0.0.1", 1), 2) << "terminal port '" << bad << "'";
  }
  set_environment("VEKX_TERMINAL_PORT", "1701");
  set_environment("VEKX_LOCAL_PORT", "65521");  // node 15 would need 65536
  EXPECT_EQ(VekRegisterProcess(1, "127.0.0.1", 1), 2);
  set_environment("VEKX_LOCAL_PORT", "65520");
  EXPECT_EQ(VekRegisterProcess(1, "127.0.0.1", 1), 0);
}

TEST_F(LibraryTest, EveryOperationRefusesBeforeRegistrationAndSendsNothing) {
  char buffer[8] = {};
  int16_t count = 99;
  const char text[16] = {};
  EXPECT_EQ(VekRead("/t1/x", 8, buffer, &count), -2);
  EXPECT_EQ(VekFormattedReadC("/t1/x", 8, buffer, &count), -2);
  EXPECT_EQ(VekReadP("/t1/x", 8, buffer), -2);
  EXPECT_EQ(VekWriteC("/t1/x", 1, "1"), -2);
  EXPECT_EQ(VekFormattedWrite("/t1/x", 1, "1"), -2);
  EXPECT_EQ(VekDisplayTextC(1, text), -2);
  EXPECT_EQ(VekResetDisplay(1), -2);
  EXPECT_EQ(VekSendKeystrokeC(1, 1, 65), -2);
  // The registration test comes before any argument is looked at.
  EXPECT_EQ(VekRead(nullptr, -1, nullptr, nullptr), -2);
  EXPECT_EQ(VekSendKeystroke(0, 3, 0), -2);
  EXPECT_EQ(count, 99);
  EXPECT_EQ(peer->traffic().wait_inbound(1, 100ms), 0u);
}

TEST_F(LibraryTest, BadArgumentsAreRefusedBeforeAnythingIsSent) {
  register_loopback();
  char buffer[8];
  std::memset(buffer, 0x5A, sizeof buffer);
  int16_t count = 99;
  EXPECT_EQ(VekRead(nullptr, 8, buffer, &count), 2);
  EXPECT_EQ(VekRead("/t1/x", -1, buffer, &count), 2);
  EXPECT_EQ(VekRead("/t1/x", 8, nullptr, &count), 2);
  EXPECT_EQ(VekRead("/t1/x", 8, buffer, nullptr), 2);
  EXPECT_EQ(VekFormattedRead("/t1/x", 8, buffer, nullptr), 2);
  EXPECT_EQ(VekReadP("/t1/x", -3, buffer), 2);
  EXPECT_EQ(VekWrite(nullptr, 1, "1"), 2);
  EXPECT_EQ(VekWrite("/t1/x", -1, "1"), 2);
  EXPECT_EQ(VekWrite("/t1/x", 1, nullptr), 2);
  EXPECT_EQ(VekDisplayText(1, nullptr), 2);
  EXPECT_EQ(buffer[0], 0x5A);
  EXPECT_EQ(count, 99);
  EXPECT_EQ(peer->traffic().wait_inbound(1, 100ms), 0u);
  // A write of no bytes needs no data.
  EXPECT_EQ(VekWrite("/t1/x", 0, nullptr), 0);
}

TEST_F(LibraryTest, NodeWithoutAnAddressFailsWithNotSocket) {
  ASSERT_EQ(VekRegisterProcess(1, "127.0.0.1", 0), 0) << "count 0 registers an empty table";
  char buffer[4] = {};
  int16_t count = 0;
  EXPECT_EQ(VekRead("/t1/x", 4, buffer, &count), 10038);
  EXPECT_EQ(VekWrite("/t2/x", 1, "1"), 10038);
  EXPECT_EQ(VekResetDisplay(1), 10038);
  EXPECT_EQ(peer->traffic().wait_inbound(1, 100ms), 0u);
}

TEST_F(LibraryTest, CloseReleasesTheNodeSockets) {
  register_loopback();
  ASSERT_EQ(VekWrite("/t1/x", 1, "1"), 0);
  EXPECT_FALSE(udp_port_free(local_port)) << "node 1's socket holds its port while open";
  ASSERT_EQ(VekCloseProcess(), 0);
  EXPECT_TRUE(udp_port_free(local_port));
}

#if defined(_WIN32)
// How many starts of the sockets layer the process holds, counted by
// cleaning up until the layer refuses, then started again as often.
int sockets_layer_starts() {
  int starts = 0;
  while (::WSACleanup() == 0) ++starts;
  for (int i = 0; i < starts; ++i) {
    WSADATA data;
    ::WSAStartup(0x0101, &data);
  }
  return starts;
}

TEST(Registration, AFailedRegistrationGivesBackItsStartOfTheSocketsLayer) {
  const int before = sockets_layer_starts();
  for (int i = 0; i < 3; ++i) ASSERT_EQ(VekRegisterProcess(1, "127.0.0.1,", 2), VEKX_BAD_ADDRESS);
  EXPECT_EQ(sockets_layer_starts(), before);
  ASSERT_EQ(VekRegisterProcess(1, "127.0.0.1", 1), VEKX_OK);
  EXPECT_EQ(sockets_layer_starts(), before + 1) << "a registration holds one start until it is closed";
  ASSERT_EQ(VekCloseProcess(), VEKX_OK);
  EXPECT_EQ(sockets_layer_starts(), before);
}
#endif

}  // namespace
}  // namespace vekx_test

// The request exchange: reply matching, resends, time-outs and faults.
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <utility>
#if !defined(_WIN32)
#  include <sched.h>
#  include <sys/syscall.h>
#  include <unistd.h>

#  include <csignal>
#  include <ctime>
#endif

#include "library_fixture.h"

namespace vekx_test {
namespace {

using Clock = std::chrono::steady_clock;

class Exchange : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    register_loopback();
    peer->fields().set("/t1/wt101", vekx_test::text_bytes("12.50"));
  }
  int16_t read_weight() { return VekRead("/t1/wt101", 20, buffer, &count); }
  char buffer[20] = {};
  int16_t count = -7;
};

TEST_F(Exchange, DecoysAreIgnoredAndTheRealReplyAccepted) {
  for (vekxsim::Decoy d : {vekxsim::Decoy::wrong_type, vekxsim::Decoy::wrong_sequence, vekxsim::Decoy::wrong_name}) {
    peer->traffic().clear();
    peer->faults().add_decoy(d);
    EXPECT_EQ(read_weight(), 0);
    EXPECT_STREQ(buffer, "12.50");
    EXPECT_EQ(received().size(), 1u) << "no resend was needed";
  }
}

TEST_F(Exchange, ALostReplyIsMadeGoodByAResendWithTheNextSequence) {
  peer->faults().drop_next_replies(1);
  EXPECT_EQ(read_weight(), 0);
  ASSERT_EQ(received().size(), 2u);
  EXPECT_EQ(static_cast<std::uint8_t>(sequence_of(received_bytes(0)) + 1), sequence_of(received_bytes(1)));
  EXPECT_EQ(without_sequence(received_bytes(0)), without_sequence(received_bytes(1)))
      << "the same request is sent again";
}

TEST_F(Exchange, SilenceGivesUpAfterThreeSendsAndKeepsTheNodeOpen) {
  ASSERT_EQ(read_weight(), 0);
  std::memset(buffer, 0x5A, sizeof buffer);
  count = -7;
  peer->faults().set_silent(true);
  const auto start = Clock::now();
  EXPECT_EQ(read_weight(), 1);
  const auto took = Clock::now() - start;
  EXPECT_GE(took, 1400ms) << "three waits of 500 ms";
  EXPECT_EQ(buffer[0], 0x5A) << "a failed read leaves the buffer untouched";
  EXPECT_EQ(count, -7) << "and the count";
  EXPECT_EQ(received().size(), 4u) << "the first read and three sends of this one";
  EXPECT_FALSE(udp_port_free(local_port)) << "the node keeps its socket";

  peer->faults().set_silent(false);
  EXPECT_EQ(read_weight(), 0);
}

// Taken whole, an oversized reply would need no second send; passed over as a
// stray, it would let the first attempt's reply, which follows it, be taken.
TEST_F(Exchange, ADatagramOverSixHundredBytesIsAFailedReceive) {
  peer->faults().oversize_next_reply(700);
  EXPECT_EQ(read_weight(), 0) << "the second attempt gets a normal reply";
  EXPECT_EQ(received().size(), 2u);
  // Sent as the next read arrives, so that it reaches the client just ahead
  // of that read's reply on every system.
  bool sent = false;
  peer->on_read([&](const std::string &) {
    if (!std::exchange(sent, true)) peer->send_stray(Bytes(700, 0x11), local_port);
  });
  EXPECT_EQ(read_weight(), 0);
  peer->on_read(nullptr);
  EXPECT_EQ(received().size(), 4u) << "the oversized datagram ended the attempt at once";
}

// A reply whose length field claims more than its datagram holds delivers
// the zeros the reply buffer was cleared with, never the bytes of a stray
// datagram received into the same buffer just before.
TEST_F(Exchange, AClaimedLengthBeyondTheBufferStaysWithinIt) {
  ASSERT_EQ(read_weight(), 0);  // the node's socket is open
  peer->send_stray(Bytes(600, 0x77), local_port);
  char big[700];
  std::memset(big, 0x5A, sizeof big);
  peer->faults().claim_length_next_reply(5000);
  int16_t n = 0;
  EXPECT_EQ(VekRead("/t1/wt101", 700, big, &n), 0);
  EXPECT_EQ(n, 571) << "the count stops at what the 600-byte reply buffer holds";
  EXPECT_EQ(std::string(big, 5), "12.50");
  EXPECT_EQ(std::string(big + 5, 566), std::string(566, '\0')) << "what the datagram lacks reads as zeros";
  EXPECT_EQ(big[571], 0) << "terminator after the 571 bytes";
  EXPECT_EQ(static_cast<unsigned char>(big[572]), 0x5A) << "nothing beyond";
}

// While a read waits for an answer that never comes, the terminal's own
// address and port sends non-matching datagrams as fast as it can.
TEST_F(Exchange, AFloodOfStrayDatagramsCannotHoldACallForEver) {
  peer->faults().set_silent(true);
  std::atomic<bool> flooding{true};
  std::atomic<long> sent{0};
  std::thread stray([&] {
    for (const Bytes junk(40, 0x11); flooding; ++sent) peer->send_stray(junk, local_port);
  });
  const auto start = Clock::now();
  EXPECT_EQ(read_weight(), 1);
  EXPECT_LT(Clock::now() - start, 6500ms) << "three attempts of at most 100 ms + 2 s each";
  flooding = false;
  stray.join();
  EXPECT_GT(sent.load(), 1000) << "the flood must really have flooded";
  peer->faults().set_silent(false);
  EXPECT_EQ(read_weight(), 0) << "the next read succeeds behind whatever is still queued";
}

#if !defined(_WIN32)
// A program whose timer fires every 150 ms (shorter than the 500 ms reply
// wait) once kept a read of a silent terminal waiting for as long as the
// timer ran: each signal began the whole wait again. The timer here signals
// this thread alone, sixty times, then stops.
std::atomic<int> signals_left{0};
timer_t signal_timer{};
void count_signal(int) {
  if (--signals_left == 0) {
    const itimerspec stop{};
    timer_settime(signal_timer, 0, &stop, nullptr);
  }
}

TEST_F(Exchange, ASignalEveryHundredAndFiftyMillisecondsDoesNotStretchTheWait) {
  peer->faults().set_silent(true);
  struct sigaction handler {};
  handler.sa_handler = count_signal;  // no SA_RESTART: poll ends with EINTR
  struct sigaction before {};
  ASSERT_EQ(sigaction(SIGALRM, &handler, &before), 0);
  sigevent to_this_thread{};
  to_this_thread.sigev_notify = SIGEV_THREAD_ID;
  to_this_thread.sigev_signo = SIGALRM;
  to_this_thread._sigev_un._tid = static_cast<pid_t>(syscall(SYS_gettid));
  ASSERT_EQ(timer_create(CLOCK_MONOTONIC, &to_this_thread, &signal_timer), 0);
  signals_left = 60;
  const itimerspec every{{0, 150'000'000}, {0, 150'000'000}};
  ASSERT_EQ(timer_settime(signal_timer, 0, &every, nullptr), 0);
  const auto start = Clock::now();
  EXPECT_EQ(read_weight(), 1);
  EXPECT_LT(Clock::now() - start, 6500ms) << "three attempts of at most 100 ms + 2 s each, signals or not";
  EXPECT_LT(signals_left.load(), 60) << "the signals came during the read";
  timer_delete(signal_timer);
  sigaction(SIGALRM, &before, nullptr);
}
#endif

TEST_F(Exchange, BindConflictIsReportedAndTheNodeTriedAgainNextTime) {
  VekCloseProcess();
  register_loopback();
  const vekx::platform::Socket holder = hold_udp_port(local_port);
  ASSERT_NE(holder, vekx::platform::no_socket);
  EXPECT_EQ(read_weight(), 10048);
  EXPECT_EQ(peer->traffic().wait_inbound(1, 100ms), 0u);
  vekx::platform::close_socket(holder);
  EXPECT_EQ(read_weight(), 0) << "a closed node opens again on the next request";
}

// The count stops at the buffer's size; a NUL follows a shorter value, and
// nothing is written beyond either.
TEST_F(Exchange, ReadBufferRules) {
  struct Row {
    const char *field;
    int16_t size, count;
    std::string delivered;  // what must stand at the start of the buffer, and nothing beyond
  };
  peer->fields().set("/t1/empty", {});
  for (const Row &r : {Row{"/t1/wt101", 20, 5, std::string("12.50\0", 6)}, Row{"/t1/wt101", 5, 5, "12.50"},
                       Row{"/t1/wt101", 1, 1, "1"}, Row{"/t1/wt101", 0, 0, ""}, Row{"/t1/empty", 1, 0, {'\0'}}}) {
    char b[24];
    std::memset(b, 0x5A, sizeof b);
    int16_t n = -1;
    ASSERT_EQ(VekRead(r.field, r.size, b, &n), 0);
    EXPECT_EQ(n, r.count) << r.field << " size " << r.size;
    EXPECT_EQ(std::string(b, r.delivered.size()), r.delivered) << r.field << " size " << r.size;
    EXPECT_EQ(static_cast<unsigned char>(b[r.delivered.size()]), 0x5A) << r.field << " size " << r.size;
  }
  char b[4];
  EXPECT_EQ(VekReadP("/t1/wt101", 3, b), 0);
  EXPECT_EQ(std::string(b, 3), "12.");
}

TEST_F(Exchange, TerminalStatusIsPassedThroughWithTheValue) {
  peer->fields().set_status("/t1/wt101", 7);
  EXPECT_EQ(read_weight(), 7);
  EXPECT_STREQ(buffer, "12.50") << "the value comes all the same";
}

#if !defined(_WIN32)
bool put(const char *file, const std::string &text) { return static_cast<bool>(std::ofstream(file) << text); }

// Empty when this process has a network of its own whose loopback carries
// 8 kbit/s, else why not. Root needs a network namespace only; anyone else a
// user namespace with it.
std::string slow_loopback_of_our_own() {
  const std::string uid = std::to_string(getuid()), gid = std::to_string(getgid());
  if (unshare(CLONE_NEWNET) != 0 &&
      (unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0 || !put("/proc/self/setgroups", "deny") ||
       !put("/proc/self/uid_map", "0 " + uid + " 1") || !put("/proc/self/gid_map", "0 " + gid + " 1")))
    return "the system grants no network namespace (unshare)";
  if (std::system("ip link set lo up && tc qdisc add dev lo root tbf rate 8kbit burst 1600 limit 10000000") != 0)
    return "ip or tc (iproute2) could not slow down loopback";
  return "";
}

// A node's send buffer filled for real, behind the slow loopback.
TEST(FullSendBuffer, AnUnwritableSocketGivesOneAfterAHundredMillisecondsAndTheNodeStaysOpen) {
  if (const std::string why = slow_loopback_of_our_own(); !why.empty()) GTEST_SKIP() << why;
  const RawClient terminal;  // never reads
  const std::uint16_t local_port = free_local_port_pair();
  use_ports(terminal.port(), local_port);
  ASSERT_EQ(VekRegisterProcess(1, "127.0.0.1", 1), 0);
  int16_t result = 0;
  Clock::time_point start;
  for (int sends = 0; result == 0 && sends < 100000; ++sends) {
    start = Clock::now();
    result = VekSendKeystroke(1, VEKX_KEY_KIND_1, 'A');
  }
  EXPECT_GE(Clock::now() - start, 100ms) << "the last keystroke waited 100 ms for writability";
  EXPECT_EQ(result, 1) << "keystrokes queued on loopback fill the send buffer";
  EXPECT_FALSE(udp_port_free(local_port)) << "the node keeps its socket";
  ASSERT_EQ(std::system("tc qdisc del dev lo root"), 0) << "the queue goes, and the send buffer with it";
  EXPECT_EQ(VekSendKeystroke(1, VEKX_KEY_KIND_1, 'A'), 0);
  VekCloseProcess();
}
#endif

}  // namespace
}  // namespace vekx_test

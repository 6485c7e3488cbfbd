// vekxsim --replay on captures written here: --speed and --loop over the
// wire, --summary, the choice among terminals, every link type, and bad
// input ending with status 2 and a message naming the file and the fault.
#include <gtest/gtest.h>
#include <pcap/pcap.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "capture_writer.h"
#include "child_process.h"
#include "loopback_udp.h"

using namespace vekx_test;

namespace {

// A read of /tN/wt101 at `at` and the terminal's reply 1 ms later, client
// and terminal both on `port`, as at a site.
std::vector<Frame> exchange(const std::string &terminal, std::chrono::microseconds at, const std::string &value,
                            char node = '1', std::uint16_t port = 1701) {
  const std::string field = std::string("/t") + node + "/wt101";
  return {
      {at, "10.1.2.100", terminal, port, port, read_request(field, 7)},
      {at + 1ms, terminal, "10.1.2.100", port, port, record(4097, 32, "/w1/w0001", 7, text_bytes(value), 0, field)}};
}

class ReplayProgram : public ::testing::Test {
 protected:
  void TearDown() override { std::filesystem::remove(pcap); }
  Finished summary(const std::vector<std::string> &options = {}) {
    return run_program(VEKXSIM_PROGRAM, std::vector<std::string>{"--replay", pcap, "--summary"} + options);
  }
  const std::string pcap = testing::TempDir() + "replay" + std::to_string(::getpid()) + ".pcap";
};

TEST_F(ReplayProgram, SpeedAndLoopThroughTheWire) {
  write_pcap(pcap, exchange("10.1.2.3", 0s, "A") + exchange("10.1.2.3", 10s, "B") + exchange("10.1.2.3", 20s, "B"));
  RunningProgram sim(VEKXSIM_PROGRAM, {"--replay", pcap, "--speed", "100", "--loop", "--port", "0", "--quiet"});
  ASSERT_TRUE(sim.wait_for_line([](const std::string &l) { return l.find("serving 127.0.0.1:") != l.npos; }, 5s));
  const auto port = static_cast<std::uint16_t>(std::stoi(sim.lines().back().substr(sim.lines().back().rfind(':') + 1)));
  RawClient client;
  const auto reads = [&](const std::string &wanted) {
    return eventually([&] {
      const auto reply = client.exchange(read_request("/t1/wt101", 7), port, 200ms);
      return reply && text_of(*reply) == wanted;
    });
  };
  EXPECT_TRUE(reads("B")) << "at 100 times the speed, 10 s of the capture pass within 3 s";
  EXPECT_TRUE(reads("A")) << "looping, it starts over";
  EXPECT_EQ(sim.stop(SIGTERM), 0);
}

TEST_F(ReplayProgram, SummaryChoiceAndBadInput) {
  const auto several = [&] {  // a read of 10.1.2.4 left unanswered at 1.5 s
    write_pcap(pcap, exchange("10.1.2.3", 0s, "X") + exchange("10.1.2.4", 1s, "A", '2') +
                         std::vector{exchange("10.1.2.4", 1500ms, "", '2')[0]} + exchange("10.1.2.4", 2s, "B", '2'));
  };
  const auto text = [&](const std::string &content) { return [&, content] { std::ofstream(pcap) << content; }; };
  const auto one = [&](Bytes record, std::size_t cut = 0) {
    return [&, record, cut] { write_pcap(pcap, {{0s, "10.1.2.100", "10.1.2.3", 1701, 1701, record, cut}}); };
  };
  Bytes bad_marker = read_request("/t1/wt101"), long_claim = bad_marker;
  bad_marker[1] = 99;
  long_claim[27] = 2;  // data_length 2, one byte after the header
  const std::tuple<std::function<void()>, std::vector<std::string>, int, std::string> rows[] = {
      {several, {}, 2, ": it holds 10.1.2.3 (node 1); 10.1.2.4 (node 2); choose one with --terminal ADDR"},
      {several, {"--terminal", "10.1.2.9"}, 2, ": no terminal 10.1.2.9; it holds 10.1.2.3"},
      {several, {"--terminal", "10.1.2.4", "--node", "1"}, 2, ": no node 1; it holds 10.1.2.4 (node 2); choose one"},
      {several,
       {"--terminal", "10.1.2.4"},
       0,
       "replaying terminal 10.1.2.4, node 2: 5 datagrams over 1.001 s\n"
       "/t2/wt101: 3 reads, 0 writes, 2 replies; values \"A\", \"B\"; statuses 0; silent 0.500 s to 1.000 s\n"},
      {text("hello\n"), {}, 2, ": not a capture"},
      {text("12:00:00.000 IN  :5000 malformed: short datagram (3 bytes) hex=01 02 03\n"),
       {},
       2,
       ": line 1: the terminal logged a malformed datagram (short datagram (3 bytes))"},
      {[&] { write_pcap(pcap, exchange("10.1.2.3", 0s, "A")), std::filesystem::resize_file(pcap, 150); },
       {},
       2,
       ": packet 2: truncated dump file"},
      {one(read_request("/t1/wt101"), 60),
       {},
       2,
       ": packet 1: truncated: the UDP datagram has 30 bytes, the capture holds 14"},
      {one(bad_marker), {}, 2, ": packet 1: malformed record: marker 99, not 100"},
      {one(long_claim), {}, 2, ": packet 1: malformed record: data length 2 runs beyond the datagram (1 bytes after"},
      {[&] { write_pcap(pcap, exchange("10.1.2.3", 0s, "A", '1', 1702)); }, {}, 2, ": no traffic on UDP port 1701"},
  };
  for (const auto &[make, options, exit_status, shown] : rows) {
    make();
    const Finished f = summary(options);
    EXPECT_EQ(f.exit_status, exit_status) << shown;
    EXPECT_NE((f.out + f.err).find(exit_status ? pcap + shown : shown), std::string::npos) << f.out << f.err;
  }
  for (int link_type : {DLT_EN10MB, DLT_LINUX_SLL, DLT_LINUX_SLL2, DLT_NULL, DLT_LOOP}) {
    write_pcap(pcap, exchange("10.1.2.3", 0s, "A"), link_type);
    EXPECT_NE(summary().out.find("/t1/wt101: 1 reads, 0 writes, 1 replies; values \"A\""), std::string::npos)
        << link_type;
  }
}

}  // namespace

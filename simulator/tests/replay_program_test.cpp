// vekxsim --replay as a program, on captures written here: --speed and
// --loop through the wire, --summary, choosing among several terminals,
// and bad input ending with status 2 and a message naming file and fault.
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

// A read of /tN/wt101 at `at` and the terminal's reply 1 ms later, between
// a client and a terminal that both use port 1701, as at a site.
std::vector<Frame> exchange(const std::string &terminal, std::chrono::microseconds at, const std::string &value,
                            char node = '1', std::uint16_t port = 1701) {
  const std::string field = std::string("/t") + node + "/wt101";
  return {{at, "10.1.2.100", terminal, port, port, read_request(field, 7)},
          {at + 1ms, terminal, "10.1.2.100", port, port, record(4097, 32, "/w1/w0001", 7, text_bytes(value), 0, field)}};
}
std::vector<Frame> operator+(std::vector<Frame> a, const std::vector<Frame> &b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class ReplayProgram : public ::testing::Test {
 protected:
  void SetUp() override { std::filesystem::create_directories(dir); }
  void TearDown() override { std::filesystem::remove_all(dir); }
  const std::filesystem::path dir =
      std::filesystem::path(testing::TempDir()) / ("replay_program" + std::to_string(::getpid()));
  const std::string pcap = dir / "site.pcap";
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

TEST_F(ReplayProgram, SummaryAndTheChoiceAmongTerminals) {
  write_pcap(pcap, exchange("10.1.2.3", 0s, "X") + exchange("10.1.2.4", 1s, "A", '2') +
                       exchange("10.1.2.4", 2s, "B", '2'));
  struct Row {
    std::vector<std::string> options;
    int exit_status;
    std::string shown;
  } rows[] = {
      {{}, 2, ": it holds 10.1.2.3 (node 1); 10.1.2.4 (node 2); choose one with --terminal ADDR"},
      {{"--terminal", "10.1.2.9"}, 2, ": no terminal 10.1.2.9; it holds 10.1.2.3"},
      {{"--terminal", "10.1.2.4", "--node", "1"}, 2, ": no node 1; it holds 10.1.2.4 (node 2); choose one with --node N"},
      {{"--terminal", "10.1.2.4"},
       0,
       "replaying terminal 10.1.2.4, node 2: 4 datagrams over 1.001 s\n"
       "/t2/wt101: 2 reads, 0 writes, 2 replies; values \"A\", \"B\"; statuses 0; never silent\n"},
  };
  for (const Row &r : rows) {
    std::vector<std::string> args{"--replay", pcap, "--summary"};
    args.insert(args.end(), r.options.begin(), r.options.end());
    const Finished f = run_program(VEKXSIM_PROGRAM, args);
    EXPECT_EQ(f.exit_status, r.exit_status) << f.err;
    EXPECT_NE((f.out + f.err).find(r.shown), std::string::npos) << f.out << f.err;
  }
}

TEST_F(ReplayProgram, BadInputEndsWithTwoAndAMessage) {
  const auto text = [&](const std::string &content) { std::ofstream(pcap) << content; };
  Bytes bad_marker = read_request("/t1/wt101"), long_claim = bad_marker;
  bad_marker[1] = 99;
  long_claim[27] = 2;  // data_length 2, one byte after the header
  struct Row {
    const char *fault;
    std::function<void()> make;
    std::string message;
  } rows[] = {
      {"not a capture", [&] { text("hello\n"); }, ": not a capture"},
      {"an empty file", [&] { text(""); }, ": not a capture"},
      {"a traffic log's malformed line",
       [&] { text("12:00:00.000 IN  :5000 malformed: short datagram (3 bytes, at least 30 needed) hex=01 02 03\n"); },
       ": line 1: the terminal logged a malformed datagram (short datagram"},
      {"the file ends inside a packet",
       [&] {
         write_pcap(pcap, exchange("10.1.2.3", 0s, "A"));
         std::filesystem::resize_file(pcap, std::filesystem::file_size(pcap) - 5);
       },
       ": packet 2: truncated dump file"},
      {"a packet cut by the snapshot length",
       [&] { write_pcap(pcap, {{0s, "10.1.2.100", "10.1.2.3", 1701, 1701, read_request("/t1/wt101"), 60}}); },
       ": packet 1: truncated: the UDP datagram has 30 bytes, the capture holds 14"},
      {"a bad marker", [&] { write_pcap(pcap, {{0s, "10.1.2.100", "10.1.2.3", 1701, 1701, bad_marker}}); },
       ": packet 1: malformed record: marker 99, not 100"},
      {"a length past its datagram", [&] { write_pcap(pcap, {{0s, "10.1.2.100", "10.1.2.3", 1701, 1701, long_claim}}); },
       ": packet 1: malformed record: data length 2 runs beyond the datagram (1 bytes after the header)"},
      {"no traffic on port 1701", [&] { write_pcap(pcap, exchange("10.1.2.3", 0s, "A", '1', 1702)); },
       ": no traffic on UDP port 1701"},
  };
  for (const Row &r : rows) {
    r.make();
    const Finished f = run_program(VEKXSIM_PROGRAM, {"--replay", pcap, "--summary"});
    EXPECT_EQ(f.exit_status, 2) << r.fault;
    EXPECT_EQ(f.err.find("vekxsim: " + pcap + r.message), 0u) << r.fault << ": " << f.err;
  }
}

// Each link type a site's capture may have carries the datagrams alike.
TEST_F(ReplayProgram, EveryLinkType) {
  for (int link_type : {DLT_EN10MB, DLT_LINUX_SLL, DLT_LINUX_SLL2, DLT_NULL, DLT_LOOP}) {
    write_pcap(pcap, exchange("10.1.2.3", 0s, "A"), link_type);
    const Finished f = run_program(VEKXSIM_PROGRAM, {"--replay", pcap, "--summary"});
    EXPECT_NE(f.out.find("/t1/wt101: 1 reads, 0 writes, 1 replies; values \"A\""), std::string::npos)
        << "link type " << link_type << ": " << f.out << f.err;
  }
}

}  // namespace

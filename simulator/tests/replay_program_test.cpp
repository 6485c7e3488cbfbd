// vekxsim --replay on captures written here: --speed and --loop over the
// wire, --summary, the choice among terminals, every link type, and bad
// input ending with status 2 and a message naming the file and the fault.
#include <gtest/gtest.h>
#include <pcap/pcap.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "capture_frames.h"
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

// Rewrites the pcap file: the packet `damaged` (from 1; 0: none) with a
// captured length no packet can have, as a damaged disk or a bad copy
// would leave it; as a machine of the other byte order would have written
// it, or with nanosecond times.
void rewrite_pcap(const std::string &pcap, std::size_t damaged, bool swap = false, bool nanoseconds = false) {
  std::ifstream in(pcap, std::ios::binary);
  Bytes b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const auto word = [&](std::size_t at, std::size_t size, std::uint32_t times = 1) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < size; ++i) v |= static_cast<std::uint32_t>(b[at + i]) << (8 * i);
    v *= times;
    for (std::size_t i = 0; i < size; ++i) b[at + (swap ? size - 1 - i : i)] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  word(0, 4, 1), word(4, 2), word(6, 2), word(8, 4), word(12, 4), word(16, 4), word(20, 4);
  if (nanoseconds) {  // a1b23c4d in the file's order
    b[swap ? 2 : 1] = 0x3c;
    b[swap ? 3 : 0] = 0x4d;
  }
  for (std::size_t at = 24, n = 1; at + 16 <= b.size(); ++n) {
    const std::uint32_t captured = b[at + 8] | b[at + 9] << 8 | b[at + 10] << 16 | b[at + 11] << 24;
    if (n == damaged) b[at + 8] = b[at + 9] = b[at + 10] = 0xff, b[at + 11] = 0x7f;  // 0x7fffffff
    word(at, 4), word(at + 4, 4, nanoseconds ? 1000 : 1), word(at + 8, 4), word(at + 12, 4);
    at += 16 + captured;
  }
  std::ofstream(pcap, std::ios::binary).write(reinterpret_cast<const char *>(b.data()), std::ssize(b));
}

// Whether text holds part; a failure shows the text.
testing::AssertionResult has(const std::string &text, const std::string &part) {
  if (text.find(part) != std::string::npos) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "no \"" << part << "\" in:\n" << text;
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
  const std::uint16_t port = started(sim);
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
      {several, {}, 2, ": it holds 10.1.2.3:1701 (node 1); 10.1.2.4:1701 (node 2); choose one with --terminal ADDR"},
      {several, {"--terminal", "10.1.2.4:1702"}, 2, ": no terminal 10.1.2.4:1702; it holds 10.1.2.3:1701"},
      {several, {"--terminal", "10.1.2.4", "--node", "1"}, 2, ": no node 1; it holds 10.1.2.4:1701 (node 2); choose"},
      {several,
       {"--terminal", "10.1.2.4"},
       0,
       "replaying terminal 10.1.2.4:1701, node 2: 5 datagrams over 1.001 s\n"
       "/t2/wt101: 3 reads, 0 writes, 2 replies; values \"A\", \"B\"; statuses 0; silent 0.500 s to 1.000 s\n"},
      {text("hello\n"), {}, 2, ": not a capture"},
      {[&] { write_pcap(pcap, exchange("10.1.2.3", 0s, "A")), std::filesystem::resize_file(pcap, 150); },
       {},
       0,  // as a killed tcpdump leaves it: the whole packets replay
       ": packet 2 is cut short at the end of the file (truncated dump file; tried to read 77 captured bytes, only "
       "got 18); replaying the 1 whole packet before it"},
      {one(read_request("/t1/wt101"), 60),
       {},
       2,
       ": packet 1: truncated: the UDP datagram has 30 bytes, the capture holds 14"},
      // A malformed datagram, which the terminal ignored, is passed over; a
      // capture of the terminal's own download once refused to replay for it.
      {[&] {
         write_pcap(pcap, std::vector<Frame>{{0s, "10.1.2.100", "10.1.2.3", 1701, 1701, bad_marker}} +
                              exchange("10.1.2.3", 1s, "A"));
       },
       {},
       0,
       ": passed over 1 malformed datagram, which a terminal ignores (packet 1: marker 99, not 100)"},
      {one(long_claim), {}, 2, ": no traffic to or from a terminal"},
      {[&] {
         write_pcap(pcap, {{0s, "10.1.2.100", "10.1.2.3", 5353, 53, Bytes(40, 7)}});
       },
       {},
       2,
       ": no datagram of a VekX terminal (marker 100 at byte 1 of UDP data)"},
  };
  for (const auto &[make, options, exit_status, shown] : rows) {
    make();
    const Finished f = summary(options);
    EXPECT_EQ(f.exit_status, exit_status) << shown;
    EXPECT_TRUE(has(f.out + f.err, exit_status ? pcap + shown : shown));
  }
}

// The same address serving on two ports needs the port to choose.
TEST_F(ReplayProgram, ATerminalOnTwoPortsIsChosenWithItsPort) {
  write_pcap(pcap, exchange("10.1.2.3", 0s, "A", '1', 40123) + exchange("10.1.2.3", 1s, "B", '1', 40124));
  EXPECT_TRUE(has(summary({"--terminal", "10.1.2.3"}).err,
                  "it holds 10.1.2.3:40123 (node 1); 10.1.2.3:40124 (node 1); choose one with --terminal ADDR[:PORT]"));
  EXPECT_TRUE(has(summary({"--terminal", "10.1.2.3:40124"}).out, "values \"B\""));
}

TEST_F(ReplayProgram, SummaryShowsValuesInTheCodePage) {
  // "Grüße" in Windows-1252, a control byte, and the quote that ends the text.
  write_pcap(pcap, exchange("10.1.2.3", 0s,
                            "Gr\xfc\xdf"
                            "e\x01\"") +
                       exchange("10.1.2.3", 1s, "\x80 5"));
  EXPECT_TRUE(has(summary().out, "values \"Gr\u00fc\u00dfe\\x01\\x22\", \"\u20ac 5\""));
}

TEST_F(ReplayProgram, ATrafficLogKeptOverDaysReplaysOneSession) {
  const std::string request = " field-access read /w1/w0001 -> /t1/wt101 seq=7 status=0 len=0 data=\"\" hex=";
  const auto reply = [](const char *text) {
    return std::string(" field-access read /t1/wt101 -> /w1/w0001 seq=7 status=0 len=1 data=\"") + text +
           "\" hex=" + (text[0] == 'A' ? "41" : "42");
  };
  const auto log = [&](const std::string &when, const char *value) {
    return when + " IN  :5000" + request + "\n" + when + " OUT :5000" + reply(value) + "\n";
  };
  std::ofstream(pcap) << "# vekxsim session 2026-12-06 08:00:00 +0100\n"
                      << log("08:00:00.100", "A") << "# vekxsim session 2026-12-06 23:59:59 +0100\n"
                      << log("23:59:59.900", "A")
                      << "00:00:00.000 IN  :5000 malformed: short datagram (3 bytes) hex=01 02 03\n"
                      << log("00:00:00.150", "B");
  const Finished last = summary();
  EXPECT_TRUE(has(last.err, ": passed over 1 malformed datagram, which a terminal ignores (line 7: short datagram"))
      << "as the terminal ignored it";
  EXPECT_TRUE(has(last.out,
                  "sessions: 1 (2 datagrams from 2026-12-06 08:00:00), 2 (4 datagrams from 2026-12-06 "
                  "23:59:59); replaying session 2\n"));
  EXPECT_TRUE(has(last.out, "4 datagrams over 0.250 s")) << "past midnight, not a day back";
  EXPECT_TRUE(has(summary({"--session", "1"}).out, "values \"A\"; statuses 0"));
  EXPECT_TRUE(has(summary({"--session", "3"}).err, ": no session 3; it holds 1 (2 datagrams"));
}

TEST_F(ReplayProgram, APcapngCutShortReplaysItsWholePackets) {
  const auto corpus = std::filesystem::path(VEKX_SOURCE_DIR) / "fuzz/corpus/capture_pcap/cooked.pcapng";
  std::filesystem::copy_file(corpus, pcap, std::filesystem::copy_options::overwrite_existing);
  const Finished whole = summary();
  std::filesystem::resize_file(pcap, std::filesystem::file_size(pcap) - 10);
  const Finished cut = summary();
  EXPECT_TRUE(has(cut.err, "vekxsim: warning: " + pcap + ": packet "));
  EXPECT_TRUE(has(cut.err, " is cut short at the end of the file (truncated pcapng dump file"));
  EXPECT_NE(whole.out, cut.out) << "the last packet is left out";
}

// The Windows build reads pcap files with vekxsim's own reader: a datagram,
// time or address it read otherwise than libpcap, or a cut end it did not
// warn of, would replay another terminal than the one captured.
TEST_F(ReplayProgram, TheOwnPcapReaderReadsWhatLibpcapReads) {
  using namespace vekxsim::replay;
  const auto read = [&](auto frames_of, bool &warned) {
    return datagrams_of(*frames_of(std::fopen(pcap.c_str(), "rb"), pcap), pcap,
                        [&](const std::string &) { warned = true; });
  };
  const auto agree = [&](const std::string &what) {
    bool libpcap_warned = false, own_warned = false;
    const auto expected = read(libpcap_frames, libpcap_warned), got = read(classic_pcap_frames, own_warned);
    EXPECT_EQ(own_warned, libpcap_warned) << what;
    ASSERT_EQ(got.size(), expected.size()) << what;
    for (std::size_t i = 0; i < got.size(); ++i)
      EXPECT_EQ(std::tie(got[i].time, got[i].from_address, got[i].to_address, got[i].from_port, got[i].to_port,
                         got[i].bytes, got[i].size),
                std::tie(expected[i].time, expected[i].from_address, expected[i].to_address, expected[i].from_port,
                         expected[i].to_port, expected[i].bytes, expected[i].size))
          << what << ", datagram " << i;
  };
  const auto two = exchange("10.1.2.3", 0s, "A") + exchange("10.1.2.4", 1500ms, "B", '2', 40123);
  for (int link : {DLT_EN10MB, DLT_LINUX_SLL, DLT_LINUX_SLL2, DLT_NULL, DLT_LOOP}) {
    write_pcap(pcap, two, link);
    agree("link type " + std::to_string(link));
  }
  for (const bool swap : {false, true})
    for (const bool nanoseconds : {false, true}) {
      write_pcap(pcap, two);
      rewrite_pcap(pcap, 0, swap, nanoseconds);
      agree(std::string(swap ? "the other byte order" : "this byte order") + (nanoseconds ? ", nanoseconds" : ""));
    }
  write_pcap(pcap, two);
  std::filesystem::resize_file(pcap, std::filesystem::file_size(pcap) - 10);
  agree("cut short within its last packet");
  write_pcap(pcap, two), rewrite_pcap(pcap, 2);
  bool warned = false;
  EXPECT_THROW(read(libpcap_frames, warned), CaptureError);
  EXPECT_THROW(read(classic_pcap_frames, warned), CaptureError) << "a captured length no frame can have";
  std::filesystem::copy_file(std::filesystem::path(VEKX_SOURCE_DIR) / "fuzz/corpus/capture_pcap/cooked.pcapng", pcap,
                             std::filesystem::copy_options::overwrite_existing);
  try {
    read(classic_pcap_frames, warned);
    ADD_FAILURE() << "a pcapng file read as pcap";
  } catch (const CaptureError &e) {
    EXPECT_TRUE(has(e.what(), ": a pcapng file, which this vekxsim does not read; save it as pcap"));
  }
}

}  // namespace

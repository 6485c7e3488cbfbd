// A capture made here, of a terminal driven through the library and written
// both as vekxsim's traffic log and as a pcap, replayed at chosen capture
// times and read through the library: the values and statuses recorded
// then, the silences, status 3 for a field never seen, and the summary.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>

#include "capture_file.h"
#include "capture_writer.h"
#include "loopback_udp.h"
#include "replay_clock.h"
#include "terminal.h"
#include "terminal_history.h"
#include "vekxapi.h"

using namespace vekx_test;
using vekxsim::replay::TerminalHistory;
using Time = TerminalHistory::Time;

namespace {

struct Read {
  int result;
  std::string value;
};
Read read(const char *field) {
  char buffer[600] = {};
  std::int16_t count = 0;
  const int result = VekRead(field, sizeof buffer, buffer, &count);
  return {result, std::string(buffer, count > 0 ? static_cast<std::size_t>(count) : 0)};
}
int write(const char *field, const std::string &value) {
  return VekWrite(field, static_cast<std::int16_t>(value.size()), value.data());
}
void register_at(std::uint16_t port) {
  VekCloseProcess();
  use_ports(port, free_local_port_pair());
  ASSERT_EQ(VekRegisterProcess(1, "127.0.0.1", 1), 0);
}

// The site: weight 1234.5 read, a field with status 9, writes answered 0
// and 6; bx297 silent for one library read; then weight 18250.5 and bx297
// answering again, and the next write of Lit01 answered 8.
struct Capture {
  std::filesystem::path log, pcap;
  Read weight_before, weight_after, event_after;
  Time within_silence, after_end;
};

Capture capture(const std::filesystem::path &dir) {
  using Clock = std::chrono::steady_clock;
  Capture c;
  c.log = dir / "site.log";
  c.pcap = dir / "site.pcap";
  vekxsim::TerminalOptions options;
  options.weight = 1234.5;
  options.command_delay = 0ms;
  options.power_up = false;
  vekxsim::Terminal terminal(options);
  std::ofstream log(c.log);
  terminal.set_log([&](const std::string &line) { log << line << std::endl; });  // as --log writes it
  register_at(terminal.port());
  terminal.control("fieldstatus bx201 9");
  c.weight_before = read("/t1/wt101");
  EXPECT_EQ(read("/t1/bx201").result, 9);
  EXPECT_EQ(write("/t1/Lit01", "HELLO"), 0);
  EXPECT_EQ(write("/t1/Lit02", std::string(21, 'x')), 6) << "Lit02 holds 20 bytes";
  terminal.control("fieldsilent bx297 on");
  const auto silence = Clock::now();
  EXPECT_EQ(read("/t1/bx297").result, VEKX_NO_ANSWER);
  for (const char *line : {"fieldsilent bx297 off", "settle 0", "weight 18250.5", "fieldstatus Lit01 8"})
    terminal.control(line);
  c.weight_after = read("/t1/wt101");
  c.event_after = read("/t1/bx297");
  EXPECT_EQ(write("/t1/Lit01", "WORLD"), 8);
  VekCloseProcess();
  const auto traffic = terminal.service().traffic().all();
  write_pcap(c.pcap, frames_of(traffic));
  const auto since_first = [&](Clock::time_point t) {
    return std::chrono::duration_cast<Time>(t - traffic.front().when);
  };
  c.within_silence = since_first(silence + 750ms);  // the library's three tries take 1.5 s
  c.after_end = since_first(Clock::now() + 10s);
  return c;
}

class ReplayThroughTheLibrary : public ::testing::TestWithParam<bool> {
 protected:
  void TearDown() override { VekCloseProcess(); }
};

TEST_P(ReplayThroughTheLibrary, ReadsAnswerAsRecordedAtEachTime) {
  const auto dir = std::filesystem::path(testing::TempDir()) / ("replay" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const Capture c = capture(dir);
  ASSERT_NE(c.weight_before.value, c.weight_after.value);
  const std::string file = GetParam() ? c.pcap : c.log;
  const TerminalHistory history(vekxsim::replay::read_capture(file), {}, file);
  std::atomic<Time::rep> now{0};
  vekxsim::SharedDataService service("127.0.0.1", 0, history.node());
  service.answer_from(history.answerer([&] { return Time(now.load()); }));
  service.start();
  register_at(service.port());

  struct Row {
    Time at;
    const char *field;
    int result;
    std::string value;  // checked when the result is 0
    const char *why;
  };
  const Row reads[] = {
      {0us, "/t1/wt101", 0, c.weight_before.value, "before the first reply: the first"},
      {c.within_silence, "/t1/wt101", 0, c.weight_before.value, "the latest reply before the time"},
      {c.within_silence, "/t1/bx297", VEKX_NO_ANSWER, "", "unanswered then, unanswered now"},
      {c.after_end, "/t1/wt101", 0, c.weight_after.value, "the last reply"},
      {c.after_end, "/t1/bx297", 0, c.event_after.value, "the silence ended with the next answered read"},
      {c.after_end, "/t1/bx201", 9, "", "the recorded status"},
      {0us, "/t1/unseen", 3, "", "a field the capture never shows"},
  };
  for (const Row &r : reads) {
    now = r.at.count();
    const Read got = read(r.field);
    EXPECT_EQ(got.result, r.result) << r.field << " at " << r.at.count() << " us: " << r.why;
    if (r.result == 0) {
      EXPECT_EQ(got.value, r.value) << r.field << ": " << r.why;
    }
  }
  const Row writes[] = {
      {0us, "/t1/Lit01", 0, "", "the nearest captured write"},
      {c.after_end, "/t1/Lit01", 8, "", "the nearest captured write"},
      {0us, "/t1/Lit02", 6, "", "the captured status"},
      {0us, "/t1/wt101", 0, "", "no captured write"},
      {0us, "/t1/unseen", 3, "", "a field the capture never shows"},
      {c.within_silence, "/t1/bx297", VEKX_NO_ANSWER, "", "silent"},
  };
  for (const Row &w : writes) {
    now = w.at.count();
    EXPECT_EQ(write(w.field, "1"), w.result) << w.field << " at " << w.at.count() << " us: " << w.why;
  }
  now = c.after_end.count();
  EXPECT_EQ(read("/t1/wt101").value, c.weight_after.value) << "a write changes no later read";

  const std::string summary = history.summary();
  for (const char *line : {"/t1/wt101: 2 reads, 0 writes, 2 replies; values ",
                           "/t1/bx201: 1 reads, 0 writes, 1 replies; ",
                           "/t1/Lit01: 0 reads, 2 writes, 2 replies; no values read; statuses 0, 8; never silent",
                           "/t1/Lit02: 0 reads, 1 writes, 1 replies; no values read; statuses 6; never silent",
                           "/t1/bx297: 4 reads, 0 writes, 1 replies; values ", "; statuses 0; silent "})
    EXPECT_NE(summary.find(line), std::string::npos) << line << " in\n" << summary;
  std::filesystem::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Capture, ReplayThroughTheLibrary, ::testing::Values(false, true),
                         [](const auto &info) { return info.param ? "Pcap" : "TrafficLog"; });

// Capture time runs at the chosen speed and, looping, starts over after
// the last datagram; the end itself is still shown.
TEST(ReplayClock, SpeedAndLoop) {
  struct Row {
    double speed;
    bool loop;
    std::chrono::microseconds elapsed, expected;
  } rows[] = {
      {1, false, 2500ms, 2500ms}, {10, false, 2500ms, 25s},     {0.5, false, 3s, 1500ms},
      {1, false, 30s, 30s},       {1, true, 10s, 10s},          {1, true, 10s + 1us, 0us},
      {4, true, 4s, 5999999us},  {1, true, 25s + 2us, 5s},
  };
  for (const Row &r : rows) {
    auto now = std::chrono::steady_clock::time_point{};
    const vekxsim::replay::ReplayClock clock(r.speed, r.loop, 10s, [&] { return now; });
    now += r.elapsed;
    EXPECT_EQ(clock.capture_time(), r.expected) << "speed " << r.speed << " loop " << r.loop;
  }
}

}  // namespace

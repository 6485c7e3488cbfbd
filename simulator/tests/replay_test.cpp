// A console session and library calls, captured as traffic log and as pcap,
// replayed at chosen times: the console shows what it showed then, the library
// gets the values, statuses and silences then, and status 3 for unseen fields.
#include <atomic>
#include <fstream>

#include "capture_download.h"
#include "capture_file.h"
#include "console_fixture.h"
#include "control_language.h"
#include "loopback_udp.h"
#include "terminal.h"
#include "terminal_history.h"
#include "vekx_wire.h"
#include "vekxapi.h"

using namespace vekx_test;
using Time = vekxsim::replay::TerminalHistory::Time;
using Clock = std::chrono::steady_clock;

namespace {

struct LinkedLibrary : ktrv::Library {
  int16_t registerProcess(int16_t t, const char *a, int32_t n) override { return VekRegisterProcess(t, a, n); }
  int16_t closeProcess() override { return VekCloseProcess(); }
  int16_t read(const char *f, int16_t n, void *b, int16_t *c) override { return VekRead(f, n, b, c); }
  int16_t write(const char *f, int16_t n, const void *d) override { return VekWrite(f, n, d); }
} library;

// A console started against the terminal on port; after each step, three
// poll ticks and then every control's text and colours.
std::vector<std::vector<std::string>> console_views(std::uint16_t port,
                                                    const std::vector<std::function<void()>> &steps) {
  use_ports(port, free_local_port_pair());  // the console registers at Start
  ktrv::test::FakeWindow window;
  ktrv::Console console(window, library);
  window.attach(console);
  window.setText(ktrv::controlId("IPAddr"), "127.0.0.1");
  window.click(ktrv::controlId("IPupdate"));
  std::vector<std::vector<std::string>> views;
  for (const auto &step : steps) {
    step();
    window.runTicks(3);
    auto &v = views.emplace_back();
    for (ktrv::ControlId id = 0; id < ktrv::layout::kControls.size(); ++id)
      v.push_back(window.text(id) + " " + std::to_string(window.backColour(id)) + "/" +
                  std::to_string(window.foreColour(id)));
  }
  VekCloseProcess();
  return views;
}
std::pair<int, std::string> read(const char *field) {
  char buffer[600] = {};
  std::int16_t n = 0;
  const int result = VekRead(field, sizeof buffer, buffer, &n);
  return {result, std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0)};
}
int write(const char *field, const std::string &value) {
  return VekWrite(field, static_cast<std::int16_t>(value.size()), value.data());
}
void register_at(std::uint16_t port) {
  use_ports(port, free_local_port_pair());
  ASSERT_EQ(VekRegisterProcess(1, "127.0.0.1", 1), 0);
}

class Replay : public ::testing::TestWithParam<bool> {};

TEST_P(Replay, TheConsoleAndTheLibraryGetWhatTheTerminalSaidThen) {
  const std::string log = testing::TempDir() + "site" + std::to_string(::getpid()) + ".log", pcap = log + ".pcap";
  vekxsim::TerminalOptions options;
  options.weight = 1234.5;
  options.command_delay = 0ms;
  vekxsim::Terminal terminal(options);
  std::ofstream log_file(log);
  terminal.set_log([&](const std::string &line) { log_file << line << std::endl; });  // as --log writes it
  std::vector<Clock::time_point> moments;
  const auto step = [&](std::vector<const char *> commands) {
    return [&, commands] {
      moments.push_back(Clock::now());
      for (const char *c : commands) vekxsim::control_answer(terminal, c);
    };
  };
  const auto then = console_views(
      terminal.port(), {step({"lower 1 LANE READY", "input 3 1"}), step({"lower 1 TRUCK ON", "serial BADGE 4"})});
  moments.push_back(Clock::now());
  ASSERT_NE(then[0], then[1]);
  // Library calls: a field with status 9, writes answered 0 and 6, bx297
  // silent for one read; then weight 18250.5, bx297 answering again and the
  // next write of Lit01 answered 8.
  register_at(terminal.port());
  vekxsim::control_answer(terminal, "fieldstatus bx201 9");
  const auto weight_before = read("/t1/wt101").second;
  read("/t1/bx201"), write("/t1/Lit01", "HELLO"), write("/t1/Lit02", std::string(21, 'x'));  // Lit02 holds 20
  vekxsim::control_answer(terminal, "fieldsilent bx297 on");
  const auto silence = Clock::now();
  read("/t1/bx297");
  for (const char *line : {"fieldsilent bx297 off", "settle 0", "weight 18250.5", "fieldstatus Lit01 8"})
    vekxsim::control_answer(terminal, line);
  const auto weight_after = read("/t1/wt101").second, event_after = read("/t1/bx297").second;
  write("/t1/Lit01", "WORLD");
  VekCloseProcess();
  const auto traffic = terminal.service().traffic().all();
  // As the web panel's "Download capture" gives a simulator on the port the
  // system picked for it, the terminal's side at an address of its own.
  ASSERT_NE(terminal.port(), vekx::default_port);
  std::ofstream(pcap, std::ios::binary) << vekxsim::web::capture_pcap(traffic, "127.0.0.2", terminal.port());
  const auto since_first = [&](Clock::time_point t) {
    return std::chrono::duration_cast<Time>(t - traffic.front().when);
  };
  const Time mid_silence = since_first(silence + 750ms),
             after_end = since_first(Clock::now() + std::chrono::seconds(10));

  const std::string file = GetParam() ? pcap : log;
  const vekxsim::replay::TerminalHistory history(vekxsim::replay::read_capture(file), {}, file);
  std::atomic<Time::rep> now{0};
  vekxsim::SharedDataService service("127.0.0.1", 0, history.node());
  service.answer_from(history.answerer([&] { return Time(now.load()); }));
  service.start();
  // Each console step replayed at the moment its ticks ended; the traffic
  // log's whole milliseconds are too coarse for ticks a fraction of one apart.
  const auto at = [&](std::size_t i) { return [&, i] { now = since_first(moments[i + 1]).count(); }; };
  EXPECT_TRUE(!GetParam() || console_views(service.port(), {at(0), at(1)}) == then) << "the console shows otherwise";
  register_at(service.port());
  // At a time, a read or a write of a field, its result and a read's value.
  const std::tuple<Time, bool, const char *, int, std::string> rows[] = {
      {0us, false, "/t1/wt101", 0, weight_before},            // before the first reply: the first
      {mid_silence, false, "/t1/wt101", 0, weight_before},    // the latest reply before
      {mid_silence, false, "/t1/bx297", VEKX_NO_ANSWER, ""},  // unanswered then, unanswered now
      {after_end, false, "/t1/wt101", 0, weight_after},
      {after_end, false, "/t1/bx297", 0, event_after},  // the next answered read ended the silence
      {after_end, false, "/t1/bx201", 9, ""},
      {0us, false, "/t1/unseen", 3, ""},
      {0us, true, "/t1/Lit01", 0, ""},  // the nearest captured write
      {after_end, true, "/t1/Lit01", 8, ""},
      {0us, true, "/t1/Lit02", 6, ""},
      {0us, true, "/t1/wt101", 0, ""},  // no captured write
      {0us, true, "/t1/unseen", 3, ""},
      {mid_silence, true, "/t1/bx297", VEKX_NO_ANSWER, ""},
      {after_end, false, "/t1/wt101", 0, weight_after},  // the writes changed no read
  };
  for (const auto &[at, writes, field, result, value] : rows) {
    now = at.count();
    const auto got = writes ? std::pair{write(field, "1"), std::string()} : read(field);
    EXPECT_EQ(got.first, result) << field << (writes ? " written" : " read") << " at " << at.count() << " us";
    EXPECT_EQ(writes || result ? value : got.second, value) << field << " at " << at.count() << " us";
  }
  VekCloseProcess();
  std::remove(log.c_str());
  std::remove(pcap.c_str());
}

INSTANTIATE_TEST_SUITE_P(Capture, Replay, ::testing::Values(false, true),
                         [](const auto &info) { return info.param ? "Pcap" : "TrafficLog"; });

}  // namespace

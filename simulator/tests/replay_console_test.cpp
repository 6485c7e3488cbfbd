// A console session at a site replayed at the desk: the console core on
// its fake view, through the real library, shows at each moment of the
// replay what it showed at that moment of the capture.
#include <atomic>
#include <filesystem>

#include "capture_file.h"
#include "capture_writer.h"
#include "console_fixture.h"
#include "loopback_udp.h"
#include "terminal.h"
#include "terminal_history.h"
#include "vekxapi.h"

namespace {

using vekxsim::replay::TerminalHistory;
using Time = TerminalHistory::Time;
using Clock = std::chrono::steady_clock;

class LinkedLibrary : public ktrv::Library {
 public:
  std::int16_t registerProcess(std::int16_t type, const char *list, std::int32_t count) override {
    return VekRegisterProcess(type, list, count);
  }
  std::int16_t closeProcess() override { return VekCloseProcess(); }
  std::int16_t read(const char *field, std::int16_t size, void *buffer, std::int16_t *count) override {
    return VekRead(field, size, buffer, count);
  }
  std::int16_t write(const char *field, std::int16_t length, const void *data) override {
    return VekWrite(field, length, data);
  }
};

// A console started against the terminal on port, its poll run for a few
// ticks after each step; each step's view: every control's text and colours.
using View = std::vector<std::string>;
std::vector<View> session(std::uint16_t port, const std::vector<std::function<void()>> &steps) {
  vekx_test::use_ports(port, vekx_test::free_local_port_pair());
  ktrv::test::FakeWindow window;
  LinkedLibrary library;
  ktrv::Console console(window, library);
  window.attach(console);
  window.setText(ktrv::controlId("IPAddr"), "127.0.0.1");
  window.click(ktrv::controlId("IPupdate"));
  std::vector<View> views;
  for (const auto &step : steps) {
    step();
    window.runTicks(3);
    View &v = views.emplace_back();
    for (ktrv::ControlId id = 0; id < ktrv::layout::kControls.size(); ++id)
      v.push_back(window.text(id) + " " + std::to_string(window.backColour(id)) + "/" +
                  std::to_string(window.foreColour(id)));
  }
  window.requestClose();
  VekCloseProcess();
  return views;
}

TEST(ReplayConsoleSession, TheConsoleShowsWhatItShowedThen) {
  const std::string pcap = std::filesystem::path(testing::TempDir()) / ("console" + std::to_string(::getpid()) + ".pcap");
  std::vector<Clock::time_point> moments;
  std::vector<View> then;
  {
    vekxsim::TerminalOptions options;
    options.command_delay = std::chrono::milliseconds(0);
    options.power_up = false;
    options.weight = 1234.5;
    vekxsim::Terminal terminal(options);
    const auto step = [&](std::vector<const char *> commands) {
      return [&terminal, &moments, commands] {
        moments.push_back(Clock::now());
        for (const char *c : commands) ASSERT_EQ(terminal.control(c).rfind("error", 0), std::string::npos) << c;
      };
    };
    then = session(terminal.port(), {step({"lower 1 LANE READY", "input 3 1"}),
                                     step({"settle 0", "weight 18250.5", "lower 1 LANE TRUCK ON SCALE", "input 3 0",
                                           "input 5 1", "serial BADGE 42"})});
    moments.push_back(Clock::now());
    const auto traffic = terminal.service().traffic().all();
    vekx_test::write_pcap(pcap, vekx_test::frames_of(traffic));
    for (auto &m : moments) m = Clock::time_point(m - traffic.front().when);
  }
  ASSERT_NE(then[0], then[1]);
  const TerminalHistory history(vekxsim::replay::read_capture(pcap), {}, pcap);
  vekxsim::SharedDataService service("127.0.0.1", 0, history.node());
  std::atomic<Time::rep> now{0};
  service.answer_from(history.answerer([&] { return Time(now.load()); }));
  service.start();
  // Each step is replayed at the moment its ticks ended, just before the next began.
  const auto at = [&](std::size_t i) {
    return [&, i] { now = std::chrono::duration_cast<Time>(moments[i + 1].time_since_epoch()).count(); };
  };
  const std::vector<View> replayed = session(service.port(), {at(0), at(1)});
  for (std::size_t i = 0; i < then.size(); ++i)
    for (std::size_t c = 0; c < then[i].size(); ++c)
      EXPECT_EQ(replayed[i][c], then[i][c]) << "step " << i << ", " << ktrv::layout::kControls[c].name;
  std::filesystem::remove(pcap);
}

}  // namespace

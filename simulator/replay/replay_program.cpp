#include "replay_program.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <iostream>

#include "capture_file.h"
#include "replay_clock.h"

namespace vekxsim::replay {

std::string speed_range_text() {
  const auto text = [](double speed) {
    std::array<char, 32> digits{};
    const auto end = std::to_chars(digits.begin(), digits.end(), speed, std::chars_format::fixed).ptr;
    return std::string(digits.begin(), end);
  };
  return text(slowest_speed) + " to " + text(fastest_speed);
}

std::string misuse(const ReplayOptions &options) {
  if (options.file) return {};
  const char *needs = options.summary           ? "--summary"
                      : options.loop            ? "--loop"
                      : options.speed != 1.0    ? "--speed"
                      : options.choice.terminal ? "--terminal"
                      : options.choice.session  ? "--session"
                                                : nullptr;
  return needs ? std::string(needs) + " needs --replay FILE" : std::string();
}

std::string serving_line(const Serving &serving) {
  return "vekxsim: replaying " + serving.file + " as node " + std::to_string(serving.history.node()) + ", serving " +
         serving.address + ":" + std::to_string(serving.port);
}

int run_replay(const ReplayOptions &options, const std::string &listen_address, std::uint16_t port,
               const std::function<void(const std::string &)> &log,
               const std::function<void(const Serving &)> &while_serving) {
  try {
    const auto warn = [](const std::string &warning) {
      std::fprintf(stderr, "vekxsim: warning: %s\n", warning.c_str());
    };
    const TerminalHistory history(read_capture(*options.file, warn), options.choice, *options.file);
    if (options.summary) {
      std::cout << history.summary() << std::flush;
      return 0;
    }
    const ReplayClock clock(options.speed, options.loop, history.span());
    SharedDataService service(listen_address, port, history.node());
    if (log) service.set_log(log);
    service.answer_from(history.answerer([&clock] { return clock.capture_time(); }));
    service.start();
    while_serving({*options.file, listen_address, service.port(), history, clock, service});
    service.stop();
    return 0;
  } catch (const CaptureError &e) {
    std::fprintf(stderr, "vekxsim: %s\n", e.what());
    return 2;
  } catch (const std::exception &e) {
    std::fprintf(stderr, "vekxsim: %s\n", e.what());
    return 1;
  }
}

}  // namespace vekxsim::replay

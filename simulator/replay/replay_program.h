// vekxsim --replay FILE: serves the terminal of a capture, or describes it.
#ifndef VEKXSIM_REPLAY_PROGRAM_H
#define VEKXSIM_REPLAY_PROGRAM_H

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "replay_clock.h"
#include "terminal_history.h"

namespace vekxsim::replay {

struct ReplayOptions {
  std::optional<std::string> file;  // --replay FILE
  Choice choice;                    // --terminal ADDR, --node N
  double speed = 1.0;               // --speed X
  bool loop = false;                // --loop
  bool summary = false;             // --summary
};
inline constexpr double slowest_speed = 0.001, fastest_speed = 1000000;
// The range as --help and a refusal show it: "0.001 to 1000000".
std::string speed_range_text();

// Why the options make no sense together ("--loop needs --replay FILE"),
// or empty.
std::string misuse(const ReplayOptions &options);

// A replay being served, as its commands describe it.
struct Serving {
  const std::string &file;
  std::string address;  // where it serves
  std::uint16_t port;
  const TerminalHistory &history;
  const ReplayClock &clock;
  SharedDataService &service;  // what answers, and the traffic it has seen
};
// "vekxsim: replaying FILE as node 1, serving 127.0.0.1:40000".
std::string serving_line(const Serving &serving);

// Reads the capture and prints its summary, or serves its terminal on
// listen_address:port until while_serving returns; log takes the traffic
// log lines (none when empty). A warning about the capture (one cut short
// at its end) goes to standard error. Returns the exit status: 0, 2 for a
// capture that cannot be replayed (the message names the file and the
// problem), 1 when the service cannot start.
int run_replay(const ReplayOptions &options, const std::string &listen_address, std::uint16_t port,
               const std::function<void(const std::string &)> &log,
               const std::function<void(const Serving &)> &while_serving);

}  // namespace vekxsim::replay

#endif

#include "replay_commands.h"

#include <chrono>

namespace vekxsim {

namespace {

double seconds(std::chrono::microseconds t) { return std::chrono::duration<double>(t).count(); }

}  // namespace

ControlReply replay_command(const replay::Serving &serving, const std::string &word, const ControlArguments &arguments,
                            bool &quit) {
  if (word != "status" && word != "summary" && word != "quit")
    return ControlReply::refused("unknown command \"" + word + "\"; a replay answers status, summary and quit");
  if (!arguments.empty()) return ControlReply::refused("usage: " + word + " (no arguments)");
  if (word == "summary") {
    const std::string text = serving.history.summary();
    return ControlReply::done(text.substr(0, text.find_last_not_of('\n') + 1), {{"summary", text}});
  }
  if (word == "quit") {
    quit = true;
    return ControlReply::done("quitting");
  }
  const double now = seconds(serving.clock.capture_time()), span = seconds(serving.history.span());
  return ControlReply::done(
      replay::serving_line(serving) + "; capture time " + std::to_string(now) + " s of " + std::to_string(span) + " s",
      {{"file", serving.file},
       {"terminal", serving.history.terminal()},
       {"node", serving.history.node()},
       {"serving", serving.address},
       {"port", serving.port},
       {"capture_time_s", now},
       {"span_s", span}});
}

}  // namespace vekxsim

// vekx watch: reads each field every interval and prints a line when what a
// read gives (its value, or its failure) differs from the previous read.
#include <signal.h>
#include <time.h>

#include <cerrno>
#include <chrono>
#include <map>
#include <vector>

#include "run_command.h"
#include "value_text.h"
#include "vekxapi.h"

namespace vekx_tool {

namespace {

volatile sig_atomic_t stop_requested = 0;

void request_stop(int) { stop_requested = 1; }

// Without SA_RESTART the pause between rounds ends at once on a signal.
void catch_stop_signals() {
  struct sigaction sa {};
  sa.sa_handler = request_stop;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = 0;
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
}

void pause_until(const timespec &deadline) {
  while (!stop_requested) {
    int rc = clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr);
    if (rc != EINTR) return;
  }
}

std::string time_of_day() {
  auto now = std::chrono::system_clock::now();
  std::time_t t = std::chrono::system_clock::to_time_t(now);
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm local{};
  localtime_r(&t, &local);
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min, local.tm_sec,
                static_cast<int>(ms));
  return text;
}

// What one read gave: the value line, or the result when no value came.
std::string observe(const std::string &field, bool hex) {
  std::vector<std::uint8_t> buffer(601, 0);
  std::int16_t count = -1;
  std::int16_t r = VekRead(field.c_str(), 600, buffer.data(), &count);
  if (count >= 0 && r == VEKX_OK) {
    std::vector<std::uint8_t> value(buffer.begin(), buffer.begin() + count);
    return hex ? value_as_hex(value) : value_as_text(value);
  }
  std::string failure = "(";
  failure += describe_result(r, count >= 0 ? ResultOrigin::terminal : ResultOrigin::library).text;
  failure += ')';
  return failure;
}

}  // namespace

int run_watch(const Command &command, std::FILE *out, std::FILE *err) {
  stop_requested = 0;
  catch_stop_signals();
  if (int refused = register_for(command, err)) return refused;

  std::map<std::string, std::string> last;
  timespec deadline{};
  clock_gettime(CLOCK_MONOTONIC, &deadline);
  while (!stop_requested) {
    for (const std::string &field : command.fields) {
      std::string seen = observe(field, command.hex);
      if (stop_requested) break;  // a read cut short by the signal is not news
      auto it = last.find(field);
      if (it != last.end() && it->second == seen) continue;
      last[field] = seen;
      std::fprintf(out, "%s %s %s\n", time_of_day().c_str(), field.c_str(), seen.c_str());
      std::fflush(out);
    }
    // Rounds start on a fixed beat; a round that overran starts the next at once.
    deadline.tv_nsec += static_cast<long>(command.interval_ms % 1000) * 1000000L;
    deadline.tv_sec += command.interval_ms / 1000 + deadline.tv_nsec / 1000000000L;
    deadline.tv_nsec %= 1000000000L;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    if (now.tv_sec > deadline.tv_sec || (now.tv_sec == deadline.tv_sec && now.tv_nsec > deadline.tv_nsec))
      deadline = now;
    pause_until(deadline);
  }
  VekCloseProcess();
  return exit_status::success;
}

}  // namespace vekx_tool

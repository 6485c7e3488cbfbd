// vekx watch: reads each field every interval and prints a line when what a
// read gives (its value, or its failure) differs from the previous read.
#include <algorithm>
#include <chrono>
#include <map>

#include "run_command.h"
#include "stop_request.h"
#include "time_of_day.h"
#include "vekxapi.h"

namespace vekx_tool {

namespace {

using Clock = std::chrono::steady_clock;

// Whether a stop was asked for by the time the deadline passed; it ends the
// pause at once.
bool stopped_before(Clock::time_point deadline) {
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    const int timeout_ms = static_cast<int>(std::clamp<decltype(left)>(left, 0, 1000));
    if (vekx_common::wait_stop_request(timeout_ms) != vekx_common::StopRequest::none) return true;
    if (left <= 1000) return false;
  }
}

// What one read gave: the value as the field's form shows it, whether there
// was a value at all, and the read's result with the exit status it means.
struct Seen {
  std::string value;
  bool has_value = false;
  std::string result;
  int exit_status = exit_status::success;
  bool operator==(const Seen &) const = default;
};

Seen observe(const Command &c, const FieldSpec &field) {
  const FieldRead read = read_field(field.name, false, c.buffer_size);
  Seen seen;
  seen.has_value = read.answered && read.result == VEKX_OK;
  if (seen.has_value) seen.value = format_value(read.value, field.form);
  const ResultDescription d =
      describe_call_result(read.result, read.answered ? ResultOrigin::terminal : ResultOrigin::library,
                           {.address_list = c.address_list, .field = field.name});
  seen.result = d.text;
  seen.exit_status = d.exit_status;
  return seen;
}

void print(std::FILE *out, const Command &c, const std::string &field, const Seen &seen) {
  const std::string when = vekx_common::time_of_day(std::chrono::system_clock::now());
  if (c.csv)
    std::fprintf(out, "%s,%s,%s,%s\n", when.c_str(), csv_cell(field).c_str(), csv_cell(seen.value).c_str(),
                 csv_cell(seen.result).c_str());
  else
    std::fprintf(out, "%s %s %s\n", when.c_str(), field.c_str(),
                 (!seen.has_value      ? "(" + seen.result + ")"
                  : seen.value.empty() ? "\"\""
                                       : seen.value)
                     .c_str());
  std::fflush(out);
}

}  // namespace

int run_watch(const Command &command, std::FILE *out, std::FILE *err) {
  vekx_common::hold_stop_requests();
  if (int refused = register_for(command, err)) return refused;
  if (command.csv) std::fprintf(out, "time,field,value,result\n");

  std::map<std::string, Seen> last;
  // Stopped, it ends with 0 if any read succeeded, else with the status of
  // the last read that failed.
  bool any_succeeded = false;
  int last_failure = exit_status::success;
  const auto interval = std::chrono::milliseconds(command.interval_ms);
  for (Clock::time_point deadline = Clock::now();;) {
    for (const FieldSpec &field : command.fields) {
      const Seen seen = observe(command, field);
      any_succeeded = any_succeeded || seen.has_value;
      if (!seen.has_value) last_failure = seen.exit_status;
      auto it = last.find(field.name);
      if (it != last.end() && it->second == seen) continue;
      last[field.name] = seen;
      print(out, command, field.name, seen);
    }
    // Rounds start on a fixed beat; a round that overran starts the next at once.
    deadline = std::max(deadline + interval, Clock::now());
    if (stopped_before(deadline)) break;
  }
  VekCloseProcess();
  return any_succeeded ? exit_status::success : last_failure;
}

}  // namespace vekx_tool

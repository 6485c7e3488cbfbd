// Any text as vekxsim's traffic log: read back into datagrams, made into a
// terminal's history and summarised, with never a crash or an overread; a
// bad log only ever throws CaptureError.
#include <sstream>

#include "terminal_history.h"
#include "traffic_log_capture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char *>(data), size));
  try {
    const vekxsim::replay::TerminalHistory history(vekxsim::replay::read_traffic_log(in, "fuzz"), {}, "fuzz");
    history.summary();
    history.answer("/t1/wt101", true, history.span() / 2);
  } catch (const vekxsim::replay::CaptureError &) {
  }
  return 0;
}

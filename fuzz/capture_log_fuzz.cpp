// Any text as vekxsim's traffic log, read down to a terminal's history and
// its summary: never a crash or an overread, only CaptureError.
#include <sstream>

#include "terminal_history.h"
#include "traffic_log_capture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char *>(data), size));
  try {
    vekxsim::replay::TerminalHistory(vekxsim::replay::read_traffic_log(in, "fuzz"), {}, "fuzz").summary();
  } catch (const vekxsim::replay::CaptureError &) {
  }
  return 0;
}

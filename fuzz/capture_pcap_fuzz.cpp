// Any bytes as a pcap or pcapng file, read down to a terminal's history and
// its summary: never a crash or an overread, only CaptureError.
#include <cstdio>

#include "packet_capture.h"
#include "terminal_history.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  std::FILE *file = size ? fmemopen(const_cast<std::uint8_t *>(data), size, "rb") : nullptr;
  try {
    if (file)
      vekxsim::replay::TerminalHistory(vekxsim::replay::read_packet_capture(file, "fuzz"), {}, "fuzz").summary();
  } catch (const vekxsim::replay::CaptureError &) {
  }
  return 0;
}

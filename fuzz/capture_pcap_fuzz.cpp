// Any bytes as a pcap or pcapng file: read with libpcap, taken apart down
// to the datagrams, made into a terminal's history and summarised, with
// never a crash or an overread; a bad file only ever throws CaptureError.
#include <cstdio>

#include "packet_capture.h"
#include "terminal_history.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  if (size == 0) return 0;
  std::FILE *file = fmemopen(const_cast<std::uint8_t *>(data), size, "rb");
  if (file == nullptr) return 0;
  try {
    const vekxsim::replay::TerminalHistory history(vekxsim::replay::read_packet_capture(file, "fuzz"), {}, "fuzz");
    history.summary();
    history.answer("/t1/wt101", false, history.span() / 2);
  } catch (const vekxsim::replay::CaptureError &) {
  }
  return 0;
}

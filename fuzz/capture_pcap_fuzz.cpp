// Any bytes as a pcap or pcapng file, read down to a terminal's history and
// its summary, by libpcap and by vekxsim's own pcap reader: never a crash or
// an overread, only CaptureError.
#include <cstdio>

#include "capture_frames.h"
#include "terminal_history.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  using namespace vekxsim::replay;
  for (auto frames_of : {libpcap_frames, classic_pcap_frames}) {
    std::FILE *file = size ? fmemopen(const_cast<std::uint8_t *>(data), size, "rb") : nullptr;
    if (file == nullptr) return 0;
    try {
      TerminalHistory(datagrams_of(*frames_of(file, "fuzz"), "fuzz", {}), {}, "fuzz").summary();
    } catch (const CaptureError &) {
    }
  }
  return 0;
}

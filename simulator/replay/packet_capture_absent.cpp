// read_packet_capture where vekxsim is built without libpcap (Windows): a
// packet capture is refused with what to do instead; traffic logs replay.
#include "packet_capture.h"

namespace vekxsim::replay {

std::vector<CapturedDatagram> read_packet_capture(std::FILE *file, const std::string &name, const Warn &) {
  std::fclose(file);
  throw CaptureError(name +
                     ": this vekxsim reads traffic logs (--log) but not pcap or pcapng files; replay the "
                     "capture with the Linux vekxsim, or record the traffic again with --log");
}

}  // namespace vekxsim::replay

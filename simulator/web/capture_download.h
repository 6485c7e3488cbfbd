// The panel's "Download capture": the recorded traffic as a pcap file that
// vekxsim --replay serves. Each datagram goes into an IPv4/UDP frame of a
// loopback capture, the terminal's side on the port it serves, the
// console's on its own port.
#ifndef VEKXSIM_WEB_CAPTURE_DOWNLOAD_H
#define VEKXSIM_WEB_CAPTURE_DOWNLOAD_H

#include <cstdint>
#include <string>
#include <vector>

#include "traffic_recorder.h"

namespace vekxsim::web {

// The bytes of the pcap file: the terminal at address on its UDP port, each
// client at the address and port it sent from (at address where the record
// does not hold one).
std::string capture_pcap(const std::vector<TrafficRecord> &traffic, const std::string &address,
                         std::uint16_t terminal_port);

}  // namespace vekxsim::web

#endif

// Reads the UDP datagrams to or from port 1701 of a pcap or pcapng file
// with libpcap: IPv4 over Ethernet (with VLAN tags), Linux cooked capture
// (SLL and SLL2, as "-i any" gives) and loopback.
#ifndef VEKXSIM_PACKET_CAPTURE_H
#define VEKXSIM_PACKET_CAPTURE_H

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "captured_datagram.h"

namespace vekxsim::replay {

// Whether the first bytes are those of a pcap or pcapng file.
bool is_packet_capture(std::span<const std::uint8_t> first_bytes);

// Every datagram to or from UDP port 1701 in capture order; a packet
// that is not IPv4/UDP or on another port is passed over. Throws
// CaptureError, its text led by name, for a file libpcap cannot read, a
// link type other than the above, a packet cut short of its datagram (by
// the snapshot length or the file's end), a fragmented datagram, and a
// capture without traffic on port 1701. Closes file.
std::vector<CapturedDatagram> read_packet_capture(std::FILE *file, const std::string &name);

}  // namespace vekxsim::replay

#endif

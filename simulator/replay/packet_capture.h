// Reads the UDP datagrams of the terminal's protocol from a pcap or pcapng
// file (pcap only where vekxsim is built without libpcap): IPv4 over Ethernet (with VLAN tags), Linux cooked capture
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

// Every datagram of the protocol in capture order: on the terminal's usual
// port, or on any other where its data begins as a record does; a packet
// that is not IPv4/UDP or of another protocol is passed over. A file cut
// short within its last packet gives every whole packet before it, and
// warn (when set) says where it ends. Throws CaptureError, its text led by
// name, for a file that cannot be read or that is damaged before its end, a
// link type other than the above, a datagram cut short by the snapshot
// length, a fragmented datagram, and a capture without the protocol's
// traffic. Closes file.
std::vector<CapturedDatagram> read_packet_capture(std::FILE *file, const std::string &name, const Warn &warn = {});

}  // namespace vekxsim::replay

#endif

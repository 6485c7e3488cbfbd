// A capture file of either kind, told apart by its first bytes, not by its
// name: a pcap or pcapng file, or else a traffic log of vekxsim --log.
#ifndef VEKXSIM_CAPTURE_FILE_H
#define VEKXSIM_CAPTURE_FILE_H

#include <string>
#include <vector>

#include "captured_datagram.h"

namespace vekxsim::replay {

// Throws CaptureError, its text led by path, for a file that cannot be
// opened or read as either kind; warn takes what is replayed despite a
// fault (a packet capture cut short at its end). A malformed datagram is
// passed over, as the terminal ignored it, and warn told how many were.
std::vector<CapturedDatagram> read_capture(const std::string &path, const Warn &warn = {});

// Empty when the record follows the terminal's protocol (the dissector's
// rules: the 29-byte header whole, marker 100, a data length within the
// datagram); otherwise what is wrong with it.
std::string malformation(const CapturedDatagram &d);

}  // namespace vekxsim::replay

#endif

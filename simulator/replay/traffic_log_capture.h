// Reads the traffic log that vekxsim --log writes back into datagrams: each
// traffic line ("14:02:11.347 IN  :50123 field-access read /w1/w0001 ->
// /t1/bx297 seq=5 status=0 len=1 data="." hex=ff") becomes the record it
// describes.
#ifndef VEKXSIM_TRAFFIC_LOG_CAPTURE_H
#define VEKXSIM_TRAFFIC_LOG_CAPTURE_H

#include <istream>
#include <string>
#include <vector>

#include "captured_datagram.h"

namespace vekxsim::replay {

// Every traffic line's datagram in order; other lines (the service's and
// the KTRV model's notes) are passed over. Times count from the log's
// first midnight, one day further at each step back past midnight. The
// client's address is not in the log and reads empty. A datagram the
// service logged as malformed is passed over, as the service ignored it,
// and warn is told how many were. Throws CaptureError, its text led by
// name, when no line is a traffic line (not a capture) and for a traffic
// line it cannot read.
std::vector<CapturedDatagram> read_traffic_log(std::istream &in, const std::string &name, const Warn &warn = {});

}  // namespace vekxsim::replay

#endif

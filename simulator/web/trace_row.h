// One row of the panel's trace for each datagram the service received or
// sent: its time, direction, operation, field, sequence, status and value.
#ifndef VEKXSIM_WEB_TRACE_ROW_H
#define VEKXSIM_WEB_TRACE_ROW_H

#include <chrono>
#include <cstdint>

#include "panel_subject.h"
#include "traffic_recorder.h"

namespace vekxsim::web {

// {"id": 17, "time_ms": ..., "inbound": true, "peer_port": 40000, "type": "field-access",
//  "operation": "read", "field": "/t1/bx297", "sequence": 5, "status": 0,
//  "value": "...", "line": "..."}; a malformed datagram has "operation":
// "malformed" and its reason in "line". time_ms counts from the epoch; id
// numbers the datagrams in order, so that a page sees which it missed.
Json trace_row(const TrafficRecord &record, std::chrono::system_clock::time_point wall, std::uint64_t id = 0);

// The wall-clock time of a record, which keeps the monotonic one.
std::chrono::system_clock::time_point wall_time(const TrafficRecord &record);

}  // namespace vekxsim::web

#endif

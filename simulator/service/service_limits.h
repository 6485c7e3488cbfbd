// The service's limits and the status bytes it answers with.
#ifndef VEKXSIM_SERVICE_LIMITS_H
#define VEKXSIM_SERVICE_LIMITS_H

#include <cstddef>
#include <cstdint>

#include "terminal_status.h"
#include "vekx_wire.h"

namespace vekxsim {

namespace limits {
// The largest datagram either side takes: the library receives replies into
// 600 bytes, and the service takes requests of up to the same size.
inline constexpr std::size_t datagram_bytes = vekx::reply_buffer_size;
// A field holds at most what one reply can carry: 600 bytes less the header
// and the closing zero, 570. A longer write is answered with too_large.
inline constexpr std::size_t field_bytes = datagram_bytes - vekx::record_overhead;
// At most this many distinct fields; a write that would create one more is
// answered with status store_full and changes nothing.
inline constexpr std::size_t fields = 4096;
// The traffic record keeps the latest this many datagrams (older ones are
// dropped first), and of each datagram its first this many bytes, enough
// to show that one was over 600.
inline constexpr std::size_t traffic_records = 50000;
inline constexpr std::size_t recorded_datagram_bytes = 700;
// oversize_next_reply() pads to at most one UDP datagram.
inline constexpr std::size_t largest_sent_datagram = 65507;
// Node numbers, as the library names nodes.
inline constexpr int highest_node = vekx::node_count;
}  // namespace limits

// Status bytes of the service's replies besides a field's own status.
namespace status = vekx_common::terminal_status;

}  // namespace vekxsim

#endif

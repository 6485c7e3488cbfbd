// The service's documented limits and the status bytes it answers with.
#ifndef VEKXSIM_SERVICE_LIMITS_H
#define VEKXSIM_SERVICE_LIMITS_H

#include <cstddef>
#include <cstdint>

namespace vekxsim {

namespace limits {
// A field holds at most what one reply can carry (600 - 29 bytes). A write
// datagram cannot carry more than 570, so over the wire the limit only
// shows as status too_large if it is ever lowered; set_field() throws
// std::length_error beyond it.
inline constexpr std::size_t field_bytes = 571;
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
}  // namespace limits

// Status bytes of the service's replies besides a field's own status.
namespace status {
inline constexpr std::uint8_t ok = 0;
inline constexpr std::uint8_t no_such_field = 3;  // read of a field that does not exist
inline constexpr std::uint8_t other_node = 4;     // field name of another node (or not "/tN/...")
inline constexpr std::uint8_t bad_operation = 5;  // type 4097 with an operation other than 16/18/32/34
inline constexpr std::uint8_t too_large = 6;      // write longer than limits::field_bytes
inline constexpr std::uint8_t store_full = 7;     // write would create field number 4097
}  // namespace status

}  // namespace vekxsim

#endif

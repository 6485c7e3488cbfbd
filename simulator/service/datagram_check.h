// Checks a received datagram before the service looks at its fields, so that
// nothing is read beyond what arrived.
#ifndef VEKXSIM_DATAGRAM_CHECK_H
#define VEKXSIM_DATAGRAM_CHECK_H

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace vekxsim {

// Empty when the service takes the datagram: a message record of at least
// 30 bytes (header and terminator), marker 100, a data_length that fits
// into the datagram, and at most 600 bytes in all. A longer datagram is
// taken only when it is a field write, which is then answered "too large";
// anything else over 600 bytes is refused whole. Otherwise a short reason
// for the log.
// kept is what the service kept of the datagram; received_size is its real
// length, which exceeds kept.size() when the receive cut it.
std::string malformed_reason(std::span<const std::uint8_t> kept, std::size_t received_size);

}  // namespace vekxsim

#endif

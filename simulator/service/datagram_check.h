// Checks a received datagram before the service looks at its fields, so that
// nothing is read beyond what arrived.
#ifndef VEKXSIM_DATAGRAM_CHECK_H
#define VEKXSIM_DATAGRAM_CHECK_H

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace vekxsim {

// The largest datagram the terminal takes; anything longer is refused whole.
inline constexpr std::size_t max_datagram_size = 600;

// Empty when the datagram is a well-formed message record: at least 30 bytes
// (header and terminator), marker 100, a data_length that fits into what
// arrived, and at most 600 bytes in all. Otherwise a short reason for the log.
// received_size is the datagram's real length, which may exceed bytes.size()
// when the receive truncated it.
std::string malformed_reason(std::span<const std::uint8_t> bytes, std::size_t received_size);

}  // namespace vekxsim

#endif

#include "datagram_check.h"

#include "message_record.h"

namespace vekxsim {

std::string malformed_reason(std::span<const std::uint8_t> bytes, std::size_t received_size) {
  if (received_size > max_datagram_size)
    return "oversized datagram (" + std::to_string(received_size) + " bytes, limit 600)";
  if (bytes.size() < vekx::record_overhead)
    return "short datagram (" + std::to_string(bytes.size()) + " bytes, at least 30 needed)";
  if (bytes[vekx::offset::marker] != vekx::marker_value)
    return "wrong marker " + std::to_string(bytes[vekx::offset::marker]) + " (expected 100)";
  const std::size_t length = vekx::get_u16(bytes, vekx::offset::data_length);
  if (length + vekx::record_overhead > bytes.size())
    return "data_length " + std::to_string(length) + " beyond the datagram of " + std::to_string(bytes.size()) +
           " bytes";
  return {};
}

}  // namespace vekxsim

#include "datagram_check.h"

#include "service_limits.h"

namespace vekxsim {

namespace {

bool is_field_write(std::span<const std::uint8_t> kept) {
  const std::uint8_t op = kept[vekx::offset::operation];
  return vekx::get_u16(kept, vekx::offset::message_type) == vekx::message_type::field_access &&
         (op == vekx::operation::write || op == vekx::operation::formatted_write);
}

}  // namespace

std::string malformed_reason(std::span<const std::uint8_t> kept, std::size_t received_size) {
  if (kept.size() < vekx::record_overhead)
    return "short datagram (" + std::to_string(kept.size()) + " bytes, at least 30 needed)";
  if (kept[vekx::offset::marker] != vekx::marker_value)
    return "wrong marker " + std::to_string(kept[vekx::offset::marker]) + " (expected 100)";
  if (received_size > limits::datagram_bytes && !is_field_write(kept))
    return "oversized datagram (" + std::to_string(received_size) + " bytes, limit " +
           std::to_string(limits::datagram_bytes) + ")";
  const std::size_t length = vekx::get_u16(kept, vekx::offset::data_length);
  if (length + vekx::record_overhead > received_size)
    return "data_length " + std::to_string(length) + " beyond the datagram of " + std::to_string(received_size) +
           " bytes";
  return {};
}

}  // namespace vekxsim

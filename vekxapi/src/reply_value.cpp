#include "reply_value.h"

#include <cstring>

namespace vekx {

std::int16_t deliver_value(std::span<const std::uint8_t, reply_buffer_size> reply, std::int16_t buffer_size,
                           std::uint8_t *out) {
  std::size_t length = get_u16(reply, offset::data_length);
  if (length > max_reply_data) length = max_reply_data;
  std::size_t count;
  if (length < static_cast<std::size_t>(buffer_size)) {
    count = length;
    out[length] = 0;
  } else {
    count = static_cast<std::size_t>(buffer_size);
  }
  std::memcpy(out, reply.data() + offset::data, count);
  return static_cast<std::int16_t>(count);
}

}  // namespace vekx

// Any bytes as the reply to a read of any field, with any buffer size: the
// acceptance test and the value copy never read past the reply buffer nor
// write outside the caller's buffer.
#include <array>
#include <cstring>
#include <memory>

#include "message_record.h"
#include "reply_value.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  if (size < 12) return 0;
  // First 2 bytes: buffer size (the library refuses negative ones before
  // anything is sent); next 10: the field name slot of the request.
  std::int16_t buffer_size = static_cast<std::int16_t>(data[0] | (data[1] << 8));
  if (buffer_size < 0) buffer_size = static_cast<std::int16_t>(-(buffer_size + 1));
  char field[11] = {};
  std::memcpy(field, data + 2, 10);
  data += 12;
  size -= 12;

  std::array<std::uint8_t, vekx::record_overhead> request{};
  vekx::put_request_header(request, {vekx::ReplyMode::awaits_reply, vekx::message_type::field_access, "/w1/w0001",
                                     field, vekx::operation::read, 0});
  request[vekx::offset::sequence] = size > 26 ? data[26] : 0;

  // The reply buffer is cleared before each receive and sees at most 600 bytes.
  std::array<std::uint8_t, vekx::reply_buffer_size> reply{};
  std::memcpy(reply.data(), data, size < reply.size() ? size : reply.size());
  if (size < vekx::header_size) return 0;  // too short: a failed receive
  if (!vekx::is_reply_to(std::span<const std::uint8_t>(reply.data(), size < 600 ? size : 600), request)) return 0;

  // Exactly the caller's bytes on the heap: a write outside them is a
  // heap overflow the sanitizer reports.
  const auto out = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(buffer_size));
  const std::int16_t count = vekx::deliver_value(reply, buffer_size, out.get());
  if (count < 0 || count > buffer_size || count > static_cast<std::int16_t>(vekx::max_reply_data)) std::abort();
  return 0;
}

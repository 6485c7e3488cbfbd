// Field reads and writes: one request and its reply each.
#include <array>
#include <cstring>
#include <memory>
#include <new>

#include "exchange.h"
#include "module_state.h"
#include "operations.h"
#include "reply_value.h"
#include "vekxapi.h"

namespace vekx {

std::int16_t read_field(std::uint8_t operation, const char *field_name, std::int16_t buffer_size, void *buffer,
                        std::int16_t *count_out, bool wants_count) {
  ModuleState &m = state();
  if (!m.registered) return VEKX_NOT_REGISTERED;
  if (field_name == nullptr || buffer_size < 0 || buffer == nullptr || (wants_count && count_out == nullptr))
    return VEKX_BAD_ARGUMENT;

  std::array<std::uint8_t, record_overhead> request{};
  put_request_header(request,
                     {ReplyMode::awaits_reply, message_type::field_access, m.process_name, field_name, operation, 0});
  std::array<std::uint8_t, reply_buffer_size> reply;
  if (int result = exchange(request, reply)) return static_cast<std::int16_t>(result);

  const std::int16_t count = deliver_value(reply, buffer_size, static_cast<std::uint8_t *>(buffer));
  if (wants_count) *count_out = count;
  return reply[offset::status];
}

std::int16_t write_field(std::uint8_t operation, const char *field_name, std::int16_t data_length, const void *data) {
  ModuleState &m = state();
  if (!m.registered) return VEKX_NOT_REGISTERED;
  if (field_name == nullptr || data_length < 0 || (data_length > 0 && data == nullptr)) return VEKX_BAD_ARGUMENT;

  const std::size_t size = static_cast<std::size_t>(data_length) + record_overhead;
  std::unique_ptr<std::uint8_t[]> record(new (std::nothrow) std::uint8_t[size]());
  if (!record) return VEKX_NO_MEMORY;
  std::span<std::uint8_t> request(record.get(), size);
  put_request_header(request, {ReplyMode::awaits_reply, message_type::field_access, m.process_name, field_name,
                               operation, static_cast<std::uint16_t>(data_length)});
  if (data_length > 0) std::memcpy(record.get() + offset::data, data, static_cast<std::size_t>(data_length));

  std::array<std::uint8_t, reply_buffer_size> reply;
  if (int result = exchange(request, reply)) return static_cast<std::int16_t>(result);
  return reply[offset::status];
}

}  // namespace vekx

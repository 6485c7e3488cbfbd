#include "message_record.h"

#include <cstring>

namespace vekx {

void put_name(std::span<std::uint8_t> rec, std::size_t at, const char *name) {
  std::size_t i = 0;
  for (; i < name_slot_size && name[i] != '\0'; ++i) rec[at + i] = static_cast<std::uint8_t>(name[i]);
  for (; i < name_slot_size; ++i) rec[at + i] = 0;
}

std::size_t name_length(std::span<const std::uint8_t> rec, std::size_t at) {
  std::size_t n = 0;
  while (n < name_slot_size && at + n < rec.size() && rec[at + n] != 0) ++n;
  return n;
}

std::string get_name(std::span<const std::uint8_t> rec, std::size_t at) {
  if (at >= rec.size()) return {};
  const auto name = rec.subspan(at, name_length(rec, at));
  return {name.begin(), name.end()};
}

bool names_equal(const std::uint8_t *a, const std::uint8_t *b) {
  for (std::size_t i = 0; i < name_slot_size; ++i) {
    if (a[i] != b[i]) return false;
    if (a[i] == 0) return true;
  }
  return true;
}

void put_request_header(std::span<std::uint8_t> rec, const RequestHeader &h) {
  rec[offset::reply_mode] = static_cast<std::uint8_t>(h.reply_mode);
  rec[offset::marker] = marker_value;
  put_u16(rec, offset::message_type, h.message_type);
  put_name(rec, offset::source_name, h.source_name);
  put_name(rec, offset::target_name, h.target_name);
  rec[offset::operation] = h.operation;
  rec[offset::status] = 0;
  rec[offset::sequence] = 0;
  put_u16(rec, offset::data_length, h.data_length);
}

bool is_reply_to(std::span<const std::uint8_t> received, std::span<const std::uint8_t> request) {
  if (received.size() < header_size || request.size() < header_size) return false;
  return get_u16(received, offset::message_type) == get_u16(request, offset::message_type) &&
         received[offset::sequence] == request[offset::sequence] &&
         names_equal(&received[offset::source_name], &request[offset::target_name]);
}

}  // namespace vekx

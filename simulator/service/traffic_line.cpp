#include "traffic_line.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "datagram_check.h"
#include "message_record.h"

namespace vekxsim {

std::string message_type_name(std::uint16_t type) {
  switch (type) {
    case vekx::message_type::field_access:
      return "field-access";
    case vekx::message_type::display_text:
      return "display-text";
    case vekx::message_type::display_control:
      return "display-control";
    case vekx::message_type::keystroke_kind1:
      return "keystroke-1";
    case vekx::message_type::keystroke_kind2:
      return "keystroke-2";
    default:
      return "type-" + std::to_string(type);
  }
}

std::string operation_name(std::uint8_t operation) {
  switch (operation) {
    case vekx::operation::read:
      return "read";
    case vekx::operation::formatted_read:
      return "formatted-read";
    case vekx::operation::write:
      return "write";
    case vekx::operation::formatted_write:
      return "formatted-write";
    case vekx::operation::none:
      return "none";
    default:
      return "op-" + std::to_string(operation);
  }
}

std::string printable_text(std::span<const std::uint8_t> data) {
  std::string out;
  out.reserve(data.size());
  for (std::uint8_t b : data) out.push_back(b >= 0x20 && b < 0x7f ? static_cast<char>(b) : '.');
  return out;
}

std::string hex_text(std::span<const std::uint8_t> data) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  out.reserve(data.size() * 3);
  for (std::size_t i = 0; i < data.size(); ++i) {
    if (i) out.push_back(' ');
    out.push_back(digits[data[i] >> 4]);
    out.push_back(digits[data[i] & 0xF]);
  }
  return out;
}

namespace {

// A name slot as text: up to its first zero byte, at most 10 characters.
std::string slot_text(std::span<const std::uint8_t> bytes, std::size_t at) {
  std::string out;
  for (std::size_t i = 0; i < vekx::name_slot_size && bytes[at + i] != 0; ++i)
    out.push_back(static_cast<char>(bytes[at + i]));
  return printable_text(std::span(reinterpret_cast<const std::uint8_t *>(out.data()), out.size()));
}

}  // namespace

std::string describe_datagram(std::span<const std::uint8_t> bytes) {
  if (std::string reason = malformed_reason(bytes, bytes.size()); !reason.empty()) {
    const std::size_t shown = std::min<std::size_t>(bytes.size(), 32);
    return "malformed: " + reason + " hex=" + hex_text(bytes.first(shown)) + (shown < bytes.size() ? " ..." : "");
  }
  const std::uint16_t length = vekx::get_u16(bytes, vekx::offset::data_length);
  const auto data = bytes.subspan(vekx::offset::data, length);
  std::string line = message_type_name(vekx::get_u16(bytes, vekx::offset::message_type));
  line += ' ' + operation_name(bytes[vekx::offset::operation]);
  line += ' ' + slot_text(bytes, vekx::offset::source_name) + " -> " + slot_text(bytes, vekx::offset::target_name);
  line += " seq=" + std::to_string(bytes[vekx::offset::sequence]);
  line += " status=" + std::to_string(bytes[vekx::offset::status]);
  line += " len=" + std::to_string(length);
  line += " data=\"" + printable_text(data) + "\" hex=" + hex_text(data);
  return line;
}

std::string traffic_line(const TrafficRecord &record, std::chrono::system_clock::time_point wall_time) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(wall_time);
  const auto millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(wall_time.time_since_epoch()).count() % 1000;
  std::tm local{};
  localtime_r(&seconds, &local);
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min, local.tm_sec,
                static_cast<int>(millis));
  return std::string(stamp) + (record.inbound ? " IN  :" : " OUT :") + std::to_string(record.peer_port) + ' ' +
         describe_datagram(record.bytes);
}

}  // namespace vekxsim

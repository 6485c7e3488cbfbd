#include "traffic_line.h"

#include <algorithm>
#include <ctime>

#include "code_page.h"
#include "datagram_check.h"
#include "hex_bytes.h"
#include "time_of_day.h"
#include "vekx_wire.h"

namespace vekxsim {

using vekx_common::hex_text;

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
  constexpr char32_t undefined = 0xFFFD;
  std::string out;
  out.reserve(data.size());
  for (std::uint8_t b : data) {
    const char32_t c = vekx_common::cp1252_character(b);
    if (b < 0x20 || b == 0x7f || c == undefined || (c >= 0x80 && c < 0xA0))
      out.push_back('.');
    else
      vekx_common::append_utf8(out, c);
  }
  return out;
}

namespace {

// A name slot as text: up to its first zero byte, at most 10 characters.
std::string slot_text(std::span<const std::uint8_t> bytes, std::size_t at) {
  return printable_text(bytes.subspan(at, vekx::name_length(bytes, at)));
}

}  // namespace

std::string describe_datagram(std::span<const std::uint8_t> kept, std::size_t received_size) {
  received_size = std::max(received_size, kept.size());
  if (std::string reason = malformed_reason(kept, received_size); !reason.empty()) {
    const std::size_t shown = std::min<std::size_t>(kept.size(), 32);
    return "malformed: " + reason + " hex=" + hex_text(kept.first(shown)) + (shown < kept.size() ? " ..." : "");
  }
  const std::uint16_t length = vekx::get_u16(kept, vekx::offset::data_length);
  const auto data = kept.subspan(vekx::offset::data, std::min<std::size_t>(length, kept.size() - vekx::offset::data));
  std::string line = message_type_name(vekx::get_u16(kept, vekx::offset::message_type));
  line += ' ' + operation_name(kept[vekx::offset::operation]);
  line += ' ' + slot_text(kept, vekx::offset::source_name) + " -> " + slot_text(kept, vekx::offset::target_name);
  line += " seq=" + std::to_string(kept[vekx::offset::sequence]);
  line += " status=" + std::to_string(kept[vekx::offset::status]);
  line += " len=" + std::to_string(length);
  line += " data=\"" + printable_text(data) + "\" hex=" + hex_text(data);
  if (data.size() < length) line += " ...";
  return line;
}

std::string traffic_line(const TrafficRecord &record, std::chrono::system_clock::time_point wall_time) {
  std::string line = vekx_common::time_of_day(wall_time) + (record.inbound ? " IN  :" : " OUT :") +
                     std::to_string(record.peer_port) + ' ' + describe_datagram(record.bytes, record.received_size);
  if (record.received_size > record.bytes.size())
    line += " (" + std::to_string(record.received_size) + " bytes received, first " +
            std::to_string(record.bytes.size()) + " kept)";
  return line;
}

std::string session_line(std::chrono::system_clock::time_point began) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(began);
  std::tm local{};
#ifdef _WIN32
  // The Windows runtime keeps localtime's result per thread.
  if (const std::tm *t = std::localtime(&seconds)) local = *t;
#else
  localtime_r(&seconds, &local);
#endif
  char text[64];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S %z", &local);
  return std::string(session_mark) + text;
}

}  // namespace vekxsim

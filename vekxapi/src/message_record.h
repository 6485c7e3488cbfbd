// The message record that every request and reply carries on the wire:
// a 29-byte header, data_length data bytes and one closing zero byte.
// All 16-bit fields are little-endian and the record has no padding, so the
// record is always handled as bytes, never through a struct.
#ifndef VEKX_MESSAGE_RECORD_H
#define VEKX_MESSAGE_RECORD_H

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace vekx {

namespace offset {
inline constexpr std::size_t reply_mode = 0;
inline constexpr std::size_t marker = 1;
inline constexpr std::size_t message_type = 2;
inline constexpr std::size_t source_name = 4;
inline constexpr std::size_t target_name = 14;
inline constexpr std::size_t operation = 24;
inline constexpr std::size_t status = 25;
inline constexpr std::size_t sequence = 26;
inline constexpr std::size_t data_length = 27;
inline constexpr std::size_t data = 29;
}  // namespace offset

inline constexpr std::size_t header_size = 29;
inline constexpr std::size_t name_slot_size = 10;
// A record is header + data + terminator.
inline constexpr std::size_t record_overhead = header_size + 1;
// Replies are received into a buffer of this size; more is never seen.
inline constexpr std::size_t reply_buffer_size = 600;
inline constexpr std::size_t max_reply_data = reply_buffer_size - header_size;  // 571

inline constexpr std::uint8_t marker_value = 100;

enum class ReplyMode : std::uint8_t { awaits_reply = 0, one_way = 2 };

namespace message_type {
inline constexpr std::uint16_t field_access = 4097;     // 0x1001
inline constexpr std::uint16_t display_text = 1072;     // 0x0430
inline constexpr std::uint16_t display_control = 1073;  // 0x0431
inline constexpr std::uint16_t keystroke_kind1 = 1027;  // 0x0403
inline constexpr std::uint16_t keystroke_kind2 = 1024;  // 0x0400
}  // namespace message_type

// The data of the display messages. Each starts with display::object; a
// display control's second byte opens a text or gives the display back to
// the terminal's own program; a display text carries text_bytes characters.
// What the bytes mean lies with the terminal.
namespace display {
inline constexpr std::uint8_t object = 1;
inline constexpr std::uint8_t open_text = 7;
inline constexpr std::uint8_t reset = 0;
inline constexpr std::size_t text_bytes = 16;
}  // namespace display

namespace operation {
inline constexpr std::uint8_t none = 0;
inline constexpr std::uint8_t write = 16;
inline constexpr std::uint8_t formatted_write = 18;
inline constexpr std::uint8_t read = 32;
inline constexpr std::uint8_t formatted_read = 34;
}  // namespace operation

inline std::uint16_t get_u16(std::span<const std::uint8_t> rec, std::size_t at) {
  return static_cast<std::uint16_t>(rec[at] | (rec[at + 1] << 8));
}
inline void put_u16(std::span<std::uint8_t> rec, std::size_t at, std::uint16_t v) {
  rec[at] = static_cast<std::uint8_t>(v & 0xFF);
  rec[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

// Copies at most 10 characters of a zero-terminated name into a slot and
// fills the rest with zeros; a name of 10 or more characters leaves no
// terminator in the slot.
void put_name(std::span<std::uint8_t> rec, std::size_t at, const char *name);

// The name in the slot at `at`: its bytes up to the first zero byte, at
// most 10, and none past the record's end.
std::size_t name_length(std::span<const std::uint8_t> rec, std::size_t at);
std::string get_name(std::span<const std::uint8_t> rec, std::size_t at);

// Two name slots are equal when their bytes agree up to and including a
// shared zero byte, or over all 10 bytes.
bool names_equal(const std::uint8_t *a, const std::uint8_t *b);

// Fills the header of a request. rec must hold header_size bytes at least.
struct RequestHeader {
  ReplyMode reply_mode;
  std::uint16_t message_type;
  const char *source_name;
  const char *target_name;
  std::uint8_t operation;
  std::uint16_t data_length;
};
void put_request_header(std::span<std::uint8_t> rec, const RequestHeader &h);

// The three tests that make a received datagram the reply to a request:
// the same message type, the sequence of the latest send, and a source name
// equal to the request's target name. received is what was seen of the
// datagram (at least header_size bytes, the rest of the 600-byte buffer zero).
bool is_reply_to(std::span<const std::uint8_t> received, std::span<const std::uint8_t> request);

}  // namespace vekx

#endif

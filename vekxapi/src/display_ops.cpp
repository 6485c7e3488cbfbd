// One-way messages to a node's display object: text, reset, keystroke.
#include <array>
#include <cstring>

#include "exchange.h"
#include "module_state.h"
#include "node_select.h"
#include "operations.h"
#include "vekxapi.h"

namespace vekx {

namespace {

constexpr std::size_t largest_one_way = record_overhead + 1 + display::text_bytes;  // 47

// Guards shared by the three operations, in this order.
int check_node(std::int16_t node) {
  if (!state().registered) return VEKX_NOT_REGISTERED;
  if (node < 1 || node > node_count) return VEKX_BAD_NODE;
  return VEKX_OK;
}

int send_one_way(std::int16_t node, std::uint16_t type, const std::uint8_t *data, std::size_t length) {
  std::array<std::uint8_t, largest_one_way> record{};
  const std::array<char, name_slot_size> name = display_object_name(node - 1);
  put_request_header(record, {ReplyMode::one_way, type, state().process_name, name.data(), operation::none,
                              static_cast<std::uint16_t>(length)});
  std::memcpy(record.data() + offset::data, data, length);
  return exchange(std::span<std::uint8_t>(record.data(), length + record_overhead), {});
}

}  // namespace

std::int16_t display_text(std::int16_t node, const char *text) {
  if (int refused = check_node(node)) return static_cast<std::int16_t>(refused);
  if (text == nullptr) return VEKX_BAD_ARGUMENT;
  const std::uint8_t control[2] = {display::object, display::open_text};
  if (int result = send_one_way(node, message_type::display_control, control, sizeof control))
    return static_cast<std::int16_t>(result);
  std::uint8_t line[1 + display::text_bytes];
  line[0] = display::object;
  std::memcpy(line + 1, text, display::text_bytes);  // a zero byte does not end the copy
  return static_cast<std::int16_t>(send_one_way(node, message_type::display_text, line, sizeof line));
}

std::int16_t reset_display(std::int16_t node) {
  if (int refused = check_node(node)) return static_cast<std::int16_t>(refused);
  const std::uint8_t control[2] = {display::object, display::reset};
  return static_cast<std::int16_t>(send_one_way(node, message_type::display_control, control, sizeof control));
}

std::int16_t send_keystroke(std::int16_t node, std::int16_t key_kind, std::int32_t key_code) {
  if (int refused = check_node(node)) return static_cast<std::int16_t>(refused);
  std::uint16_t type;
  if (key_kind == VEKX_KEY_KIND_1)
    type = message_type::keystroke_kind1;
  else if (key_kind == VEKX_KEY_KIND_2)
    type = message_type::keystroke_kind2;
  else
    return VEKX_BAD_ARGUMENT;
  const std::uint8_t code = static_cast<std::uint8_t>(key_code & 0xFF);
  return static_cast<std::int16_t>(send_one_way(node, type, &code, 1));
}

}  // namespace vekx

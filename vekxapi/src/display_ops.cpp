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

constexpr std::size_t display_text_bytes = 16;
constexpr std::size_t largest_one_way = record_overhead + 1 + display_text_bytes;  // 47

// The data bytes the terminal's display object takes. What they mean lies
// with the terminal; the library only sends them.
constexpr std::uint8_t display_object = 1;  // leads every display message's data
constexpr std::uint8_t open_text = 7;       // display control: a text follows
constexpr std::uint8_t reset = 0;           // display control: back to the terminal's own display

// Guards shared by the three operations, in this order.
int check_node(std::int16_t node) {
  if (!state().registered) return VEKX_NOT_REGISTERED;
  if (node < 1 || node > node_count) return VEKX_BAD_NODE;
  return VEKX_OK;
}

// "/tx/cnpl1" with the node's character in place of the x.
std::array<char, name_slot_size> display_object_name(std::int16_t node) {
  std::array<char, name_slot_size> name{'/', 't', 'x', '/', 'c', 'n', 'p', 'l', '1', '\0'};
  name[2] = node_character(node - 1);
  return name;
}

int send_one_way(std::int16_t node, std::uint16_t type, const std::uint8_t *data, std::size_t length) {
  std::array<std::uint8_t, largest_one_way> record{};
  const std::array<char, name_slot_size> name = display_object_name(node);
  put_request_header(record, {ReplyMode::one_way, type, state().process_name, name.data(), operation::none,
                              static_cast<std::uint16_t>(length)});
  std::memcpy(record.data() + offset::data, data, length);
  return exchange(std::span<std::uint8_t>(record.data(), length + record_overhead), {});
}

}  // namespace

std::int16_t display_text(std::int16_t node, const char *text) {
  if (int refused = check_node(node)) return static_cast<std::int16_t>(refused);
  if (text == nullptr) return VEKX_BAD_ARGUMENT;
  const std::uint8_t control[2] = {display_object, open_text};
  if (int result = send_one_way(node, message_type::display_control, control, sizeof control))
    return static_cast<std::int16_t>(result);
  std::uint8_t line[1 + display_text_bytes];
  line[0] = display_object;
  std::memcpy(line + 1, text, display_text_bytes);  // a zero byte does not end the copy
  return static_cast<std::int16_t>(send_one_way(node, message_type::display_text, line, sizeof line));
}

std::int16_t reset_display(std::int16_t node) {
  if (int refused = check_node(node)) return static_cast<std::int16_t>(refused);
  const std::uint8_t control[2] = {display_object, reset};
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

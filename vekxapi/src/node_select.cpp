#include "node_select.h"

#include "message_record.h"
#include "vekxapi.h"

namespace vekx {

NodeSelection select_node(std::span<const std::uint8_t> request) {
  // The scan runs over the target slot and the two bytes behind it
  // (operation and status), which the library never sets to '/'.
  constexpr std::size_t scan_length = name_slot_size + 2;
  int first = -1;
  int second = -1;
  for (std::size_t i = 0; i < scan_length; ++i) {
    if (request[offset::target_name + i] != '/') continue;
    if (first < 0) {
      first = static_cast<int>(i);
    } else {
      second = static_cast<int>(i);
      break;
    }
  }
  if (first < 0) return {VEKX_BAD_NODE, 0};
  if (second < 0) return {VEKX_BAD_ARGUMENT, 0};
  // Two slashes somewhere in the 12 bytes leave room for the letter and the
  // node character behind the first one (the first can be at most at 10).
  const std::uint8_t letter = request[offset::target_name + first + 1];
  if (letter != 't' && letter != 'T') return {VEKX_BAD_NODE, 0};
  const int index = node_index_of(static_cast<char>(request[offset::target_name + first + 2]));
  if (index < 0 || index >= node_count) return {VEKX_BAD_NODE, 0};
  return {VEKX_OK, index};
}

}  // namespace vekx

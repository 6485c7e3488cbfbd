// Which terminal node a request goes to, from the name in its target slot.
#ifndef VEKX_NODE_SELECT_H
#define VEKX_NODE_SELECT_H

#include <array>
#include <cstdint>
#include <span>

#include "message_record.h"

namespace vekx {

inline constexpr int node_count = 16;

struct NodeSelection {
  int result;      // VEKX_OK, VEKX_BAD_ARGUMENT (one '/') or VEKX_BAD_NODE (no '/', bad letter, bad node)
  int node_index;  // 0..15 when result is 0
};

// Examines a request record: the 10-byte target slot and the operation and
// status bytes behind it, up to the second '/'. "/t1/..." is node index 0,
// "/T3/..." index 2, "/t@/..." index 15.
NodeSelection select_node(std::span<const std::uint8_t> request);

// The character that names node index i in field and display names: '1'
// for node index 0 (node 1), then on through ':' to '@' for node index 15.
inline constexpr char node_character(int node_index) { return static_cast<char>('1' + node_index); }
// The node index a node character names; outside 0..15 for any other byte.
inline constexpr int node_index_of(char c) { return c - node_character(0); }

// The name of node index i's display object, which display and keystroke
// messages address: "/tx/cnpl1" with the node's character for the x, and a
// closing zero.
inline constexpr std::array<char, name_slot_size> display_object_name(int node_index) {
  std::array<char, name_slot_size> name{'/', 't', 'x', '/', 'c', 'n', 'p', 'l', '1', '\0'};
  name[2] = node_character(node_index);
  return name;
}

}  // namespace vekx

#endif

// The library's one set of module state: registration, process name, node
// address table, per-node sockets and the sequence counter. All zero at load;
// used from one thread at a time, so nothing here is locked.
#ifndef VEKX_MODULE_STATE_H
#define VEKX_MODULE_STATE_H

#include <array>
#include <cstdint>

#include "address_list.h"
#include "message_record.h"
#include "platform/platform.h"
#include "port_variables.h"

namespace vekx {

enum class NodeState : std::uint8_t { closed = 0, open = 2 };

struct Node {
  platform::Socket socket = platform::no_socket;
  NodeState state = NodeState::closed;
};

struct ModuleState {
  bool registered = false;
  char process_name[name_slot_size] = {};  // "/w1/w0001" or "/w2/w0002", zero-terminated
  AddressTable addresses{};
  std::array<Node, node_count> nodes{};
  std::uint8_t sequence = 0;  // never reset: counts across registrations
  // The terminal's port and the local port of node index 0; node i uses
  // local_port_base + i. Read from the environment at registration.
  std::uint16_t terminal_port = default_port;
  std::uint16_t local_port_base = default_port;
};

ModuleState &state();

}  // namespace vekx

#endif

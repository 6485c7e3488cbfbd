// Registering the process with its node addresses, and closing.
#include <cstring>

#include "exchange.h"
#include "module_state.h"
#include "operations.h"
#include "platform/platform.h"
#include "port_variables.h"
#include "vekxapi.h"

namespace vekx {

std::int16_t register_process(std::int16_t process_type, const char *address_list, std::int32_t address_count) {
  ModuleState &m = state();
  if (m.registered) return VEKX_ALREADY_REGISTERED;
  if (process_type != VEKX_PROCESS_TYPE_1 && process_type != VEKX_PROCESS_TYPE_2) return VEKX_BAD_ARGUMENT;
  if (address_list == nullptr && address_count > 0) return VEKX_BAD_ARGUMENT;
  // A simulated terminal on the same PC cannot share port 1701 with the
  // library, so the ports can be moved with two environment variables.
  const std::optional<std::uint16_t> terminal_port =
      port_from_environment(terminal_port_variable, highest_terminal_port);
  const std::optional<std::uint16_t> local_port_base = port_from_environment(local_port_variable, highest_local_port);
  if (!terminal_port || !local_port_base) return VEKX_BAD_ARGUMENT;

  if (int err = platform::startup()) return static_cast<std::int16_t>(err);
  std::memcpy(m.process_name, process_type == VEKX_PROCESS_TYPE_1 ? "/w1/w0001" : "/w2/w0002", name_slot_size);
  m.terminal_port = *terminal_port;
  m.local_port_base = *local_port_base;
  m.addresses = {};
  if (address_count > 0 && !parse_address_list(address_list, address_count, m.addresses)) {
    // Nothing is registered, so nothing will close the sockets layer later:
    // every failed Start of a caller would otherwise hold one more start.
    platform::cleanup();
    return VEKX_BAD_ADDRESS;
  }
  m.registered = true;
  return VEKX_OK;
}

std::int16_t close_process() {
  ModuleState &m = state();
  if (!m.registered) return VEKX_NOT_REGISTERED;
  for (int i = 0; i < node_count; ++i) close_node(i);
  m.registered = false;
  platform::cleanup();
  return VEKX_OK;
}

}  // namespace vekx

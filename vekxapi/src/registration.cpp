// Registering the process with its node addresses, and closing.
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "exchange.h"
#include "module_state.h"
#include "operations.h"
#include "platform/platform.h"

namespace vekx {

namespace {

// A simulated terminal on the same PC cannot share port 1701 with the
// library, so the ports can be moved with two environment variables. A
// variable that is set must hold a whole number in range.
bool port_from_environment(const char *variable, long highest, std::uint16_t &port) {
  port = default_port;
  const char *text = std::getenv(variable);
  if (text == nullptr) return true;
  if (*text < '0' || *text > '9') return false;
  errno = 0;
  char *end = nullptr;
  long value = std::strtol(text, &end, 10);
  if (errno != 0 || *end != '\0' || value < 1 || value > highest) return false;
  port = static_cast<std::uint16_t>(value);
  return true;
}

}  // namespace

std::int16_t register_process(std::int16_t process_type, const char *address_list, std::int32_t address_count) {
  ModuleState &m = state();
  if (m.registered) return -1;
  if (process_type != 1 && process_type != 2) return 2;
  if (address_list == nullptr && address_count > 0) return 2;
  std::uint16_t terminal_port = 0;
  std::uint16_t local_port_base = 0;
  if (!port_from_environment("VEKX_TERMINAL_PORT", 65535, terminal_port) ||
      !port_from_environment("VEKX_LOCAL_PORT", 65535 - (node_count - 1), local_port_base))
    return 2;

  if (int err = platform::startup()) return static_cast<std::int16_t>(err);
  std::memcpy(m.process_name, process_type == 1 ? "/w1/w0001" : "/w2/w0002", 10);
  m.terminal_port = terminal_port;
  m.local_port_base = local_port_base;
  m.addresses = {};
  if (address_count > 0 && !parse_address_list(address_list, address_count, m.addresses)) return 5;
  m.registered = true;
  return 0;
}

std::int16_t close_process() {
  ModuleState &m = state();
  if (!m.registered) return -2;
  for (int i = 0; i < node_count; ++i) close_node(i);
  m.registered = false;
  platform::cleanup();
  return 0;
}

}  // namespace vekx

#include "free_ports.h"

#include <cstdlib>
#include <string>

namespace vekx_test {

namespace platform = vekx::platform;

namespace {
// The tests' own sockets need the sockets layer whether or not the library
// has started it; this holds it for the life of the process.
const bool sockets_started = platform::startup() == 0;
}  // namespace

void set_environment(const char *name, const std::string &value) {
#if defined(_WIN32)
  ::_putenv_s(name, value.c_str());
#else
  ::setenv(name, value.c_str(), 1);
#endif
}

platform::Socket hold_udp_port(std::uint16_t port) {
  platform::Socket s = platform::no_socket;
  if (!sockets_started || platform::open_udp(s) != 0) return platform::no_socket;
  if (platform::bind_to(s, {{}, port}) != 0) {
    platform::close_socket(s);
    return platform::no_socket;
  }
  return s;
}

bool udp_port_free(std::uint16_t port) {
  const platform::Socket s = hold_udp_port(port);
  if (s == platform::no_socket) return false;
  platform::close_socket(s);
  return true;
}

std::uint16_t free_local_port_pair() {
  for (int tries = 0; tries < 200; ++tries) {
    const platform::Socket s = hold_udp_port(0);
    platform::Endpoint bound;
    const bool known = s != platform::no_socket && platform::local_endpoint(s, bound) == 0;
    if (s != platform::no_socket) platform::close_socket(s);
    const std::uint16_t p = bound.port;
    if (known && p < 65000 && udp_port_free(p) && udp_port_free(static_cast<std::uint16_t>(p + 1))) return p;
  }
  std::abort();
}

void use_ports(std::uint16_t terminal_port, std::uint16_t local_base) {
  set_environment(vekx::terminal_port_variable, std::to_string(terminal_port));
  set_environment(vekx::local_port_variable, std::to_string(local_base));
}

}  // namespace vekx_test

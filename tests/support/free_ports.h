// Ports for tests that run in parallel: each test binds its terminal to a
// port the system picks and points the library at it, and takes a free
// pair of local ports for node indexes 0 and 1.
#ifndef VEKX_TEST_FREE_PORTS_H
#define VEKX_TEST_FREE_PORTS_H

#include <cstdint>
#include <string>

#include "vekx_wire.h"

namespace vekx_test {

// A UDP socket bound to 0.0.0.0:port, or no_socket when the port is taken;
// close it with vekx::platform::close_socket.
vekx::platform::Socket hold_udp_port(std::uint16_t port);
bool udp_port_free(std::uint16_t port);
// A port p, free on all interfaces, with p + 1 free too.
std::uint16_t free_local_port_pair();

// Points the library at a terminal on terminal_port and local ports from
// local_base; read when the library registers.
void use_ports(std::uint16_t terminal_port, std::uint16_t local_base);
// Sets an environment variable of this process.
void set_environment(const char *name, const std::string &value);

}  // namespace vekx_test

#endif

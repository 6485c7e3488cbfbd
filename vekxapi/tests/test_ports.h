// Ports for tests that run in parallel: each test binds its terminal service
// to a port the system picks and points the library at it, and takes a free
// pair of local ports for node indexes 0 and 1.
#ifndef VEKX_TEST_PORTS_H
#define VEKX_TEST_PORTS_H

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

namespace vekx_test {

inline bool udp_port_free(std::uint16_t port) {
  int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_ANY);
  a.sin_port = htons(port);
  bool ok = ::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0;
  ::close(fd);
  return ok;
}

// A port p, free on all interfaces, with p + 1 free too.
inline std::uint16_t free_local_port_pair() {
  for (int tries = 0; tries < 200; ++tries) {
    int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_ANY);
    ::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&a), &len);
    ::close(fd);
    std::uint16_t p = ntohs(a.sin_port);
    if (p < 65000 && udp_port_free(p) && udp_port_free(static_cast<std::uint16_t>(p + 1))) return p;
  }
  std::abort();
}

// Points the library at a terminal on terminal_port and local ports from
// local_base; read when the library registers.
inline void use_ports(std::uint16_t terminal_port, std::uint16_t local_base) {
  ::setenv("VEKX_TERMINAL_PORT", std::to_string(terminal_port).c_str(), 1);
  ::setenv("VEKX_LOCAL_PORT", std::to_string(local_base).c_str(), 1);
}

}  // namespace vekx_test

#endif

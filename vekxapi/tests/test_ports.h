// Ports for tests that run in parallel: each test binds its terminal service
// to a port the system picks and points the library at it, and takes a free
// pair of local ports for node indexes 0 and 1.
#ifndef VEKX_TEST_PORTS_H
#define VEKX_TEST_PORTS_H

#if defined(_WIN32)
#  include <winsock2.h>
#  include <ws2tcpip.h>
#else
#  include <arpa/inet.h>
#  include <netinet/in.h>
#  include <sys/socket.h>
#  include <unistd.h>
#endif

#include <cstdint>
#include <cstdlib>
#include <string>

namespace vekx_test {

#if defined(_WIN32)
using TestSocket = SOCKET;
inline void close_test_socket(TestSocket s) { ::closesocket(s); }
// The tests' own sockets need the sockets layer before the library starts
// it; this holds it for the life of the process.
inline const bool sockets_started = [] {
  WSADATA data;
  return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
}();
inline void set_variable(const char *name, const char *value) { ::_putenv_s(name, value); }
#else
using TestSocket = int;
inline void close_test_socket(TestSocket s) { ::close(s); }
inline void set_variable(const char *name, const char *value) { ::setenv(name, value, 1); }
#endif

// A UDP socket bound to 0.0.0.0:port, or an invalid one when the port is taken.
inline TestSocket bind_udp_any(std::uint16_t port, bool &bound) {
  TestSocket fd = ::socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_ANY);
  a.sin_port = htons(port);
  bound = ::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0;
  return fd;
}

inline bool udp_port_free(std::uint16_t port) {
  bool ok = false;
  close_test_socket(bind_udp_any(port, ok));
  return ok;
}

// A port p, free on all interfaces, with p + 1 free too.
inline std::uint16_t free_local_port_pair() {
  for (int tries = 0; tries < 200; ++tries) {
    bool bound = false;
    TestSocket fd = bind_udp_any(0, bound);
    sockaddr_in a{};
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&a), &len);
    close_test_socket(fd);
    std::uint16_t p = ntohs(a.sin_port);
    if (p < 65000 && udp_port_free(p) && udp_port_free(static_cast<std::uint16_t>(p + 1))) return p;
  }
  std::abort();
}

// Points the library at a terminal on terminal_port and local ports from
// local_base; read when the library registers.
inline void use_ports(std::uint16_t terminal_port, std::uint16_t local_base) {
  set_variable("VEKX_TERMINAL_PORT", std::to_string(terminal_port).c_str());
  set_variable("VEKX_LOCAL_PORT", std::to_string(local_base).c_str());
}

}  // namespace vekx_test

#endif

// The platform's own sockets API as the platform layer's files use it: an
// Endpoint as the API takes it and gives it back (the same on POSIX and on
// Windows Sockets), and a Windows socket handle.
#ifndef VEKX_NATIVE_SOCKETS_H
#define VEKX_NATIVE_SOCKETS_H

#include <cstring>

#include "platform.h"

#if defined(_WIN32)
#  include <winsock.h>
#else
#  include <arpa/inet.h>
#  include <netinet/in.h>
#endif

namespace vekx::platform {

#if defined(_WIN32)
inline SOCKET native(Socket s) { return static_cast<SOCKET>(s); }
#endif

inline sockaddr_in to_sockaddr(const Endpoint &e) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  std::memcpy(&a.sin_addr.s_addr, e.address.data(), 4);  // already in network order
  a.sin_port = htons(e.port);
  return a;
}

inline Endpoint from_sockaddr(const sockaddr_in &a) {
  Endpoint e;
  std::memcpy(e.address.data(), &a.sin_addr.s_addr, 4);
  e.port = ntohs(a.sin_port);
  return e;
}

}  // namespace vekx::platform

#endif

// The sockets calls only a peer needs (the simulated terminal, the tests):
// in a file of their own, so the library links none of them.
#include "native_sockets.h"
#include "platform.h"

#if !defined(_WIN32)
#  include <sys/socket.h>

#  include <cerrno>

namespace vekx::platform {

int local_endpoint(Socket s, Endpoint &out) {
  sockaddr_in a{};
  socklen_t size = sizeof a;
  if (::getsockname(s, reinterpret_cast<sockaddr *>(&a), &size) != 0) return last_error();
  out = from_sockaddr(a);
  return 0;
}

long send_to(Socket s, const std::uint8_t *data, std::size_t size, const Endpoint &to) {
  const sockaddr_in a = to_sockaddr(to);
  ssize_t n;
  do n = ::sendto(s, data, size, MSG_NOSIGNAL, reinterpret_cast<const sockaddr *>(&a), sizeof a);
  while (n < 0 && errno == EINTR);
  return static_cast<long>(n);
}

long receive_from(Socket s, std::uint8_t *buf, std::size_t capacity, Endpoint &from) {
  sockaddr_in a{};
  socklen_t size = sizeof a;
  ssize_t n;
  do n = ::recvfrom(s, buf, capacity, MSG_TRUNC, reinterpret_cast<sockaddr *>(&a), &size);
  while (n < 0 && errno == EINTR);
  if (n >= 0) from = from_sockaddr(a);
  return static_cast<long>(n);
}

}  // namespace vekx::platform
#endif

// The sockets calls only a peer needs (the simulated terminal, the tests):
// in a file of their own, so the library links none of them.
#include "native_sockets.h"
#include "platform.h"

#if defined(_WIN32)
namespace vekx::platform {

int local_endpoint(Socket s, Endpoint &out) {
  sockaddr_in a{};
  int size = sizeof a;
  if (::getsockname(native(s), reinterpret_cast<sockaddr *>(&a), &size) == SOCKET_ERROR) return last_error();
  out = from_sockaddr(a);
  return 0;
}

long send_to(Socket s, const std::uint8_t *data, std::size_t size, const Endpoint &to) {
  const sockaddr_in a = to_sockaddr(to);
  const int n = ::sendto(native(s), reinterpret_cast<const char *>(data), static_cast<int>(size), 0,
                         reinterpret_cast<const sockaddr *>(&a), sizeof a);
  return n == SOCKET_ERROR ? -1 : n;
}

long receive_from(Socket s, std::uint8_t *buf, std::size_t capacity, Endpoint &from) {
  sockaddr_in a{};
  int size = sizeof a;
  const int n = ::recvfrom(native(s), reinterpret_cast<char *>(buf), static_cast<int>(capacity), 0,
                           reinterpret_cast<sockaddr *>(&a), &size);
  // A longer datagram fails with WSAEMSGSIZE and leaves its first bytes: its
  // real length is unknown, but more than what was kept.
  if (n == SOCKET_ERROR && last_error() == WSAEMSGSIZE) {
    from = from_sockaddr(a);
    return static_cast<long>(capacity) + 1;
  }
  if (n == SOCKET_ERROR) return -1;
  from = from_sockaddr(a);
  return n;
}

}  // namespace vekx::platform
#endif

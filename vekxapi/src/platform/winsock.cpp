// Windows Sockets 1.1 (wsock32) under the platform interface. Every failure
// already comes as a Windows Sockets error number, so nothing is mapped.
#include "native_sockets.h"
#include "platform.h"
#include "tick_count.h"

#if defined(_WIN32)
#  include <winsock.h>

#  include <atomic>
#  include <cstring>

namespace vekx::platform {

namespace {
constexpr WORD sockets_version_1_1 = 0x0101;

timeval timeout_from_us(int timeout_us) {
  timeval t{};
  t.tv_sec = timeout_us / 1000000;
  t.tv_usec = timeout_us % 1000000;
  return t;
}

WaitOutcome wait_for(Socket s, bool for_writing, int timeout_us) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(native(s), &set);
  timeval t = timeout_from_us(timeout_us);
  // The first argument is ignored by Windows Sockets.
  const int n = ::select(0, for_writing ? nullptr : &set, for_writing ? &set : nullptr, nullptr, &t);
  if (n == SOCKET_ERROR) return {Wait::failed, last_error()};
  if (n > 0 && FD_ISSET(native(s), &set)) return {Wait::ready, 0};
  return {Wait::timed_out, 0};
}
}  // namespace

int last_error() { return WSAGetLastError(); }

int startup() {
  WSADATA data;
  // WSAStartup gives its error number as its result, not through
  // WSAGetLastError.
  return ::WSAStartup(sockets_version_1_1, &data);
}

void cleanup() { ::WSACleanup(); }

int open_udp(Socket &out) {
  const SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  if (s == INVALID_SOCKET) return last_error();
  out = static_cast<Socket>(s);
  return 0;
}

int bind_to(Socket s, const Endpoint &local) {
  const sockaddr_in a = to_sockaddr(local);
  if (::bind(native(s), reinterpret_cast<const sockaddr *>(&a), sizeof a) == SOCKET_ERROR) return last_error();
  return 0;
}

int set_nonblocking(Socket s) {
  u_long value = 1;
  if (::ioctlsocket(native(s), FIONBIO, &value) == SOCKET_ERROR) return last_error();
  return 0;
}

int connect_to(Socket s, const Endpoint &remote) {
  const sockaddr_in a = to_sockaddr(remote);
  if (::connect(native(s), reinterpret_cast<const sockaddr *>(&a), sizeof a) == SOCKET_ERROR) return last_error();
  return 0;
}

void close_socket(Socket s) { ::closesocket(native(s)); }

WaitOutcome wait_writable(Socket s, int timeout_us) { return wait_for(s, true, timeout_us); }
WaitOutcome wait_readable(Socket s, int timeout_us) { return wait_for(s, false, timeout_us); }

long send_datagram(Socket s, const std::uint8_t *data, std::size_t size) {
  const int n = ::send(native(s), reinterpret_cast<const char *>(data), static_cast<int>(size), 0);
  return n == SOCKET_ERROR ? -1 : n;
}

long receive_datagram(Socket s, std::uint8_t *buf, std::size_t capacity) {
  // A datagram longer than the buffer fails with WSAEMSGSIZE (its first
  // capacity bytes are in buf, the rest is lost): a failed receive.
  const int n = ::recv(native(s), reinterpret_cast<char *>(buf), static_cast<int>(capacity), 0);
  return n == SOCKET_ERROR ? -1 : n;
}

std::int64_t now_ms() {
  // Monotonic, in milliseconds, and 64 bits wide: no wrap after 49 days,
  // from the 32-bit count that Windows XP has.
  static std::atomic<std::uint64_t> last{0};
  const std::uint64_t now = extended_tick(last.load(std::memory_order_relaxed), ::GetTickCount());
  last.store(now, std::memory_order_relaxed);
  return static_cast<std::int64_t>(now);
}

}  // namespace vekx::platform
#endif

// POSIX sockets under the platform interface.
#include "native_sockets.h"
#include "platform.h"

#if !defined(_WIN32)
#  include <fcntl.h>
#  include <poll.h>
#  include <sys/socket.h>
#  include <unistd.h>

#  include <cerrno>
#  include <chrono>
#  include <cstring>

namespace vekx::platform {

namespace {

int failed() { return wsa_error_from_errno(errno); }

}  // namespace

int startup() { return 0; }
void cleanup() {}

int last_error() { return failed(); }

int open_udp(Socket &out) {
  int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
  if (fd < 0) return failed();
  out = fd;
  return 0;
}

int bind_to(Socket s, const Endpoint &local) {
  const sockaddr_in a = to_sockaddr(local);
  if (::bind(s, reinterpret_cast<const sockaddr *>(&a), sizeof a) != 0) return failed();
  return 0;
}

int set_nonblocking(Socket s) {
  const int flags = ::fcntl(s, F_GETFL, 0);
  if (flags < 0) return failed();
  if (::fcntl(s, F_SETFL, flags | O_NONBLOCK) != 0) return failed();
  return 0;
}

int connect_to(Socket s, const Endpoint &remote) {
  const sockaddr_in a = to_sockaddr(remote);
  if (::connect(s, reinterpret_cast<const sockaddr *>(&a), sizeof a) != 0) return failed();
  return 0;
}

void close_socket(Socket s) { ::close(s); }

namespace {
WaitOutcome wait_for(Socket s, short events, int timeout_us) {
  pollfd p{s, events, 0};
  // poll counts in milliseconds; round a partial millisecond up so that a
  // 100 ms wait never ends early.
  const std::int64_t deadline = now_ms() + (timeout_us + 999) / 1000;
  for (;;) {
    // A signal cuts the wait short: it goes on for what is left of it, so a
    // program whose timer fires more often than the wait lasts still gets
    // its answer or its time-out.
    const std::int64_t left_ms = deadline - now_ms();
    int n = ::poll(&p, 1, left_ms > 0 ? static_cast<int>(left_ms) : 0);
    if (n > 0) {
      if (p.revents & POLLNVAL) return {Wait::failed, wsa_error_from_errno(EBADF)};
      // An error pending on a UDP socket (an ICMP unreachable, say) makes it
      // readable and writable: the receive or send then reports it.
      return {Wait::ready, 0};
    }
    if (n == 0) return {Wait::timed_out, 0};
    if (errno == EINTR) continue;
    return {Wait::failed, failed()};
  }
}
}  // namespace

WaitOutcome wait_writable(Socket s, int timeout_us) { return wait_for(s, POLLOUT, timeout_us); }
WaitOutcome wait_readable(Socket s, int timeout_us) { return wait_for(s, POLLIN, timeout_us); }

// A connected socket reports the refusal of an earlier datagram (nothing
// listens at the terminal's port) on its next send, which then sends
// nothing; Winsock reports it on a receive and sends. The send is made once
// more, so that a datagram the system takes counts as sent on both, and
// the second of two one-way datagrams is not "not sent" where the first,
// alone, was "sent".
long send_datagram(Socket s, const std::uint8_t *data, std::size_t size) {
  bool refusal_passed = false;
  for (;;) {
    const ssize_t n = ::send(s, data, size, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == ECONNREFUSED && !refusal_passed) {
      refusal_passed = true;
      continue;
    }
    return static_cast<long>(n);
  }
}

long receive_datagram(Socket s, std::uint8_t *buf, std::size_t capacity) {
  ssize_t n;
  // MSG_TRUNC makes recv report the datagram's real length, so a datagram
  // longer than the buffer shows as a failed receive, as on Winsock.
  do n = ::recv(s, buf, capacity, MSG_TRUNC);
  while (n < 0 && errno == EINTR);
  if (n > static_cast<ssize_t>(capacity)) return -1;
  return static_cast<long>(n);
}

std::int64_t now_ms() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace vekx::platform
#endif

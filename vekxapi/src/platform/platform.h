// The thin layer between the protocol code and the operating system's
// sockets. posix.cpp and winsock.cpp each define all of it; the protocol code
// sees only these functions and Windows Sockets error numbers.
#ifndef VEKX_PLATFORM_H
#define VEKX_PLATFORM_H

#include <cstddef>
#include <cstdint>

namespace vekx::platform {

#if defined(_WIN32)
using Socket = std::uintptr_t;
inline constexpr Socket no_socket = ~static_cast<Socket>(0);
#else
using Socket = int;
inline constexpr Socket no_socket = -1;
#endif

// Every function that can fail returns 0 or a Windows Sockets error number.
int startup();  // sockets layer, version 1.1
void cleanup();

int open_udp(Socket &out);
int bind_any(Socket s, std::uint16_t local_port);  // 0.0.0.0:local_port
int set_nonblocking(Socket s, bool on);
// Returns 10035 (would block) when the connection is still being set up.
int connect_to(Socket s, const std::uint8_t address[4], std::uint16_t remote_port);
void close_socket(Socket s);

enum class Wait { ready, timed_out, failed };
struct WaitOutcome {
  Wait state;
  int error;  // the error number when state is failed
};
WaitOutcome wait_writable(Socket s, int timeout_us);
WaitOutcome wait_readable(Socket s, int timeout_us);

// Number of bytes sent, or -1.
long send_datagram(Socket s, const std::uint8_t *data, std::size_t size);

// Receives one datagram into buf. Returns its size, 0 or less for a failed
// receive; a datagram longer than capacity is a failed receive (-1) even
// where the system would hand over its first capacity bytes.
long receive_datagram(Socket s, std::uint8_t *buf, std::size_t capacity);

// Milliseconds of a monotonic clock.
std::int64_t now_ms();

// Maps an errno value to the Windows Sockets error number callers see.
int wsa_error_from_errno(int err);

}  // namespace vekx::platform

#endif

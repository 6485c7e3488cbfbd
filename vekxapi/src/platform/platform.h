// The thin layer between the protocol code and the operating system's
// sockets. posix.cpp and winsock.cpp each define all of it; the protocol code
// sees only these functions and Windows Sockets error numbers. The simulated
// terminal and the tests use the same layer for their own sockets.
#ifndef VEKX_PLATFORM_H
#define VEKX_PLATFORM_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace vekx::platform {

#if defined(_WIN32)
using Socket = std::uintptr_t;
inline constexpr Socket no_socket = ~static_cast<Socket>(0);
#else
using Socket = int;
inline constexpr Socket no_socket = -1;
#endif

// An IPv4 address (first number of the dotted text first) and a port.
struct Endpoint {
  std::array<std::uint8_t, 4> address{};
  std::uint16_t port = 0;
};

// Every function that can fail returns 0 or a Windows Sockets error number.
int startup();  // sockets layer, version 1.1; each call is balanced by cleanup()
void cleanup();

int open_udp(Socket &out);
int bind_to(Socket s, const Endpoint &local);  // address 0.0.0.0: any interface
int local_endpoint(Socket s, Endpoint &out);
int set_nonblocking(Socket s);
// Returns 10035 (would block) when the connection is still being set up.
int connect_to(Socket s, const Endpoint &remote);
void close_socket(Socket s);

enum class Wait { ready, timed_out, failed };
struct WaitOutcome {
  Wait state;
  int error;  // the error number when state is failed
};
WaitOutcome wait_writable(Socket s, int timeout_us);
WaitOutcome wait_readable(Socket s, int timeout_us);

// Number of bytes sent, or -1 (last_error() tells why): 10035 (would block)
// on a non-blocking socket whose send buffer is full.
long send_datagram(Socket s, const std::uint8_t *data, std::size_t size);
long send_to(Socket s, const std::uint8_t *data, std::size_t size, const Endpoint &to);

// Receives one datagram into buf. Returns its size, 0 or less for a failed
// receive; a datagram longer than capacity is a failed receive (-1) even
// where the system would hand over its first capacity bytes.
long receive_datagram(Socket s, std::uint8_t *buf, std::size_t capacity);
// Receives one datagram from any peer into buf and returns its real length:
// more than capacity when it was longer (its first capacity bytes are in
// buf). -1 when none is waiting on a non-blocking socket, or on a failure.
long receive_from(Socket s, std::uint8_t *buf, std::size_t capacity, Endpoint &from);

// The Windows Sockets number of the latest failure of this thread.
int last_error();

// Milliseconds of a monotonic clock.
std::int64_t now_ms();

// An environment variable of this process as it is now; nothing when it is
// not set. On Windows it is read from the system's environment, which
// SetEnvironmentVariableA changes while the program runs (the C runtime's
// copy, made at start-up, does not see that); elsewhere through getenv.
std::optional<std::string> environment_variable(const char *name);

// Maps an errno value to the Windows Sockets error number callers see.
int wsa_error_from_errno(int err);

}  // namespace vekx::platform

#endif

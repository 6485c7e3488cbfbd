#include "loopback_udp.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

#if defined(_WIN32)
#  include <windows.h>
#endif

namespace vekx_test {

namespace platform = vekx::platform;

namespace {
// The tests' own sockets need the sockets layer whether or not the library
// has started it; this holds it for the life of the process.
const bool sockets_started = platform::startup() == 0;
constexpr platform::Endpoint loopback(std::uint16_t port) { return {{127, 0, 0, 1}, port}; }
constexpr std::size_t largest_datagram = 70000;
}  // namespace

void set_environment(const char *name, const std::string &value) {
#if defined(_WIN32)
  // The system's environment alone, as a program that sets its ports at run
  // time does; the C runtime's copy does not see it.
  ::SetEnvironmentVariableA(name, value.c_str());
#else
  ::setenv(name, value.c_str(), 1);
#endif
}

platform::Socket hold_udp_port(std::uint16_t port) {
  platform::Socket s = platform::no_socket;
  if (!sockets_started || platform::open_udp(s) != 0) return platform::no_socket;
  if (platform::bind_to(s, {{}, port}) != 0) {
    platform::close_socket(s);
    return platform::no_socket;
  }
  return s;
}

bool udp_port_free(std::uint16_t port) {
  const platform::Socket s = hold_udp_port(port);
  if (s == platform::no_socket) return false;
  platform::close_socket(s);
  return true;
}

std::uint16_t free_local_port_pair() {
  for (int tries = 0; tries < 200; ++tries) {
    const platform::Socket s = hold_udp_port(0);
    platform::Endpoint bound;
    const bool known = s != platform::no_socket && platform::local_endpoint(s, bound) == 0;
    if (s != platform::no_socket) platform::close_socket(s);
    const std::uint16_t p = bound.port;
    if (known && p < 65000 && udp_port_free(p) && udp_port_free(static_cast<std::uint16_t>(p + 1))) return p;
  }
  std::abort();
}

void use_ports(std::uint16_t terminal_port, std::uint16_t local_base) {
  set_environment(vekx::terminal_port_variable, std::to_string(terminal_port));
  set_environment(vekx::local_port_variable, std::to_string(local_base));
}

RawClient::RawClient() {
  platform::Endpoint bound;
  if (platform::startup() != 0 || platform::open_udp(socket_) != 0 || platform::bind_to(socket_, loopback(0)) != 0 ||
      platform::local_endpoint(socket_, bound) != 0)
    throw std::runtime_error("cannot bind a test socket");
  port_ = bound.port;
}

RawClient::~RawClient() {
  platform::close_socket(socket_);
  platform::cleanup();
}

void RawClient::send(const Bytes &datagram, std::uint16_t to_port) const {
  platform::send_to(socket_, datagram.data(), datagram.size(), loopback(to_port));
}

std::optional<Bytes> RawClient::receive(std::chrono::milliseconds timeout) const {
  const int timeout_us = static_cast<int>(std::chrono::microseconds(timeout).count());
  if (platform::wait_readable(socket_, timeout_us).state != platform::Wait::ready) return std::nullopt;
  Bytes buffer(largest_datagram);
  platform::Endpoint from;
  const long n = platform::receive_from(socket_, buffer.data(), buffer.size(), from);
  if (n < 0) return std::nullopt;
  buffer.resize(static_cast<std::size_t>(n));
  return buffer;
}

std::optional<Bytes> RawClient::exchange(const Bytes &request, std::uint16_t to_port,
                                         std::chrono::milliseconds timeout) const {
  send(request, to_port);
  return receive(timeout);
}

Bytes RawClient::answer(const Bytes &request, std::uint16_t to_port, std::chrono::milliseconds timeout) const {
  std::optional<Bytes> reply = exchange(request, to_port, timeout);
  if (!reply)
    throw std::runtime_error("no answer from port " + std::to_string(to_port) + " within " +
                             std::to_string(timeout.count()) + " ms");
  return std::move(*reply);
}

Bytes record(std::uint16_t type, std::uint8_t operation, const std::string &target, std::uint8_t sequence,
             const Bytes &data, std::uint8_t reply_mode, const std::string &source) {
  Bytes out{reply_mode, 100, static_cast<std::uint8_t>(type & 0xFF), static_cast<std::uint8_t>(type >> 8)};
  for (const std::string *name : {&source, &target})
    for (std::size_t i = 0; i < 10; ++i) out.push_back(i < name->size() ? static_cast<std::uint8_t>((*name)[i]) : 0);
  out.insert(out.end(), {operation, 0, sequence, static_cast<std::uint8_t>(data.size() & 0xFF),
                         static_cast<std::uint8_t>(data.size() >> 8)});
  out.insert(out.end(), data.begin(), data.end());
  out.push_back(0);
  return out;
}

Bytes value_of(const Bytes &r) {
  const std::size_t n = std::min<std::size_t>(r.at(27) | (r.at(28) << 8), r.size() > 30 ? r.size() - 30 : 0);
  return Bytes(r.begin() + 29, r.begin() + 29 + static_cast<std::ptrdiff_t>(n));
}

}  // namespace vekx_test

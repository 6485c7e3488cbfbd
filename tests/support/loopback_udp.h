// Loopback UDP for the tests: ports that tests running in parallel do not
// share, a plain UDP socket, and message records assembled byte by byte
// here, independent of the protocol code, so that a mistake shared by the
// service and the library cannot hide.
#ifndef VEKX_TEST_LOOPBACK_UDP_H
#define VEKX_TEST_LOOPBACK_UDP_H

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "vekx_wire.h"

namespace vekx_test {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

// A UDP socket bound to 0.0.0.0:port, or no_socket when the port is taken;
// close it with vekx::platform::close_socket.
vekx::platform::Socket hold_udp_port(std::uint16_t port);
bool udp_port_free(std::uint16_t port);
// A port p, free on all interfaces, with p + 1 free too.
std::uint16_t free_local_port_pair();

// Points the library at a terminal on terminal_port and local ports from
// local_base; read when the library registers.
void use_ports(std::uint16_t terminal_port, std::uint16_t local_base);
// Sets an environment variable of this process.
void set_environment(const char *name, const std::string &value);

// A plain UDP socket on loopback.
class RawClient {
 public:
  RawClient();  // bound to 127.0.0.1 on a port the system picks
  ~RawClient();
  RawClient(const RawClient &) = delete;
  RawClient &operator=(const RawClient &) = delete;
  std::uint16_t port() const { return port_; }

  void send(const Bytes &datagram, std::uint16_t to_port) const;
  // The next datagram (whole, whatever its size), or nothing when none
  // arrives within timeout.
  std::optional<Bytes> receive(std::chrono::milliseconds timeout = 2000ms) const;
  std::optional<Bytes> exchange(const Bytes &request, std::uint16_t to_port,
                                std::chrono::milliseconds timeout = 2000ms) const;
  // The same where an answer must come: std::runtime_error when none does.
  Bytes answer(const Bytes &request, std::uint16_t to_port, std::chrono::milliseconds timeout = 2000ms) const;

 private:
  vekx::platform::Socket socket_ = vekx::platform::no_socket;
  std::uint16_t port_ = 0;
};

// A message record: reply_mode, marker 100, type (little-endian), source,
// target, operation, status 0, sequence, data_length (little-endian), data, 0.
Bytes record(std::uint16_t type, std::uint8_t operation, const std::string &target, std::uint8_t sequence,
             const Bytes &data = {}, std::uint8_t reply_mode = 0, const std::string &source = "/w1/w0001");
inline Bytes read_request(const std::string &field, std::uint8_t sequence = 1) {
  return record(4097, 32, field, sequence);
}
inline Bytes write_request(const std::string &field, const Bytes &value, std::uint8_t sequence = 1) {
  return record(4097, 16, field, sequence, value);
}

// Pieces of a received record.
inline std::uint8_t status_of(const Bytes &r) { return r.at(25); }
inline std::uint8_t sequence_of(const Bytes &r) { return r.at(26); }
inline std::uint16_t type_of(const Bytes &r) { return static_cast<std::uint16_t>(r.at(2) | (r.at(3) << 8)); }
// The data bytes, as far as the record holds them.
Bytes value_of(const Bytes &r);
inline Bytes text_bytes(const std::string &s) { return Bytes(s.begin(), s.end()); }
inline std::string text_of(const Bytes &r) {
  const Bytes v = value_of(r);
  return std::string(v.begin(), v.end());
}

// Polls until pred() holds or the timeout runs out; returns pred()'s last value.
template <class Pred>
bool eventually(Pred pred, std::chrono::milliseconds timeout = 3000ms) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < end) {
    if (pred()) return true;
    std::this_thread::sleep_for(5ms);
  }
  return pred();
}

}  // namespace vekx_test

#endif

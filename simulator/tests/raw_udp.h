// A plain UDP socket on loopback and message records assembled byte by byte
// here, independent of the protocol code, so that a mistake shared by the
// service and the library cannot hide.
#ifndef VEKXSIM_TEST_RAW_UDP_H
#define VEKXSIM_TEST_RAW_UDP_H

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace vekxsim_test {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

class RawClient {
 public:
  RawClient() {
    fd_ = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0)
      throw std::runtime_error("cannot bind a test socket");
    socklen_t len = sizeof a;
    ::getsockname(fd_, reinterpret_cast<sockaddr *>(&a), &len);
    port_ = ntohs(a.sin_port);
  }
  ~RawClient() { ::close(fd_); }
  RawClient(const RawClient &) = delete;
  std::uint16_t port() const { return port_; }

  void send(const Bytes &datagram, std::uint16_t to_port) const {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(to_port);
    ::sendto(fd_, datagram.data(), datagram.size(), 0, reinterpret_cast<sockaddr *>(&to), sizeof to);
  }

  // The next datagram (whole, whatever its size), or nothing when none
  // arrives within timeout.
  std::optional<Bytes> receive(std::chrono::milliseconds timeout = 2000ms) const {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(timeout.count())) <= 0) return std::nullopt;
    Bytes buffer(70000);
    const ssize_t n = ::recv(fd_, buffer.data(), buffer.size(), 0);
    if (n < 0) return std::nullopt;
    buffer.resize(static_cast<std::size_t>(n));
    return buffer;
  }

  std::optional<Bytes> exchange(const Bytes &request, std::uint16_t to_port,
                                std::chrono::milliseconds timeout = 2000ms) const {
    send(request, to_port);
    return receive(timeout);
  }

 private:
  int fd_ = -1;
  std::uint16_t port_ = 0;
};

// A message record: reply_mode, marker 100, type (little-endian), source,
// target, operation, status 0, sequence, data_length (little-endian), data, 0.
inline Bytes record(std::uint16_t type, std::uint8_t operation, const std::string &target, std::uint8_t sequence,
                    const Bytes &data = {}, std::uint8_t reply_mode = 0, const std::string &source = "/w1/w0001") {
  Bytes out{reply_mode, 100, static_cast<std::uint8_t>(type & 0xFF), static_cast<std::uint8_t>(type >> 8)};
  for (const std::string *name : {&source, &target})
    for (std::size_t i = 0; i < 10; ++i) out.push_back(i < name->size() ? static_cast<std::uint8_t>((*name)[i]) : 0);
  out.push_back(operation);
  out.push_back(0);
  out.push_back(sequence);
  out.push_back(static_cast<std::uint8_t>(data.size() & 0xFF));
  out.push_back(static_cast<std::uint8_t>(data.size() >> 8));
  out.insert(out.end(), data.begin(), data.end());
  out.push_back(0);
  return out;
}

inline Bytes read_request(const std::string &field, std::uint8_t sequence = 1) {
  return record(4097, 32, field, sequence);
}
inline Bytes write_request(const std::string &field, const Bytes &value, std::uint8_t sequence = 1) {
  return record(4097, 16, field, sequence, value);
}

// Pieces of a reply.
inline std::uint8_t status_of(const Bytes &r) { return r.at(25); }
inline std::uint8_t sequence_of(const Bytes &r) { return r.at(26); }
inline std::uint16_t type_of(const Bytes &r) { return static_cast<std::uint16_t>(r.at(2) | (r.at(3) << 8)); }
inline std::uint16_t length_of(const Bytes &r) { return static_cast<std::uint16_t>(r.at(27) | (r.at(28) << 8)); }
inline Bytes value_of(const Bytes &r) {
  const std::size_t n = std::min<std::size_t>(length_of(r), r.size() > 30 ? r.size() - 30 : 0);
  return Bytes(r.begin() + 29, r.begin() + 29 + n);
}
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

}  // namespace vekxsim_test

#endif

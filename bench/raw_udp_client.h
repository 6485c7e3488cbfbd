// The floor every library figure is measured against: a plain blocking UDP
// request/reply between a connected socket and the same simulated terminal,
// with the request bytes the library would send.
#ifndef VEKX_BENCH_RAW_UDP_CLIENT_H
#define VEKX_BENCH_RAW_UDP_CLIENT_H

#include <cstdint>
#include <string>
#include <vector>

class RawUdpClient {
 public:
  explicit RawUdpClient(std::uint16_t terminal_port);
  ~RawUdpClient();
  RawUdpClient(const RawUdpClient &) = delete;
  RawUdpClient &operator=(const RawUdpClient &) = delete;

  // One field request: send, then block in recv until a datagram comes.
  // Returns the reply's size.
  long read(const std::string &field);
  long write(const std::string &field, const std::vector<std::uint8_t> &value);

 private:
  long round_trip(std::vector<std::uint8_t> &request);
  int fd_;
  std::uint8_t sequence_ = 0;
};

#endif

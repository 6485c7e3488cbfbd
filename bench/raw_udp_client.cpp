#include "raw_udp_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

#include "vekx_wire.h"

RawUdpClient::RawUdpClient(std::uint16_t terminal_port) : fd_(::socket(AF_INET, SOCK_DGRAM, 0)) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(terminal_port);
  if (fd_ < 0 || ::connect(fd_, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0)
    throw std::runtime_error("cannot set up the floor's socket");
}

RawUdpClient::~RawUdpClient() { ::close(fd_); }

long RawUdpClient::round_trip(std::vector<std::uint8_t> &request) {
  request[vekx::offset::sequence] = ++sequence_;
  std::uint8_t reply[vekx::reply_buffer_size];
  if (::send(fd_, request.data(), request.size(), 0) != static_cast<long>(request.size())) return -1;
  return ::recv(fd_, reply, sizeof reply, 0);
}

long RawUdpClient::read(const std::string &field) {
  std::vector<std::uint8_t> request(vekx::record_overhead, 0);
  vekx::put_request_header(request, {vekx::ReplyMode::awaits_reply, vekx::message_type::field_access, "/w1/w0001",
                                     field.c_str(), vekx::operation::read, 0});
  return round_trip(request);
}

long RawUdpClient::write(const std::string &field, const std::vector<std::uint8_t> &value) {
  std::vector<std::uint8_t> request(value.size() + vekx::record_overhead, 0);
  vekx::put_request_header(request, {vekx::ReplyMode::awaits_reply, vekx::message_type::field_access, "/w1/w0001",
                                     field.c_str(), vekx::operation::write, static_cast<std::uint16_t>(value.size())});
  std::copy(value.begin(), value.end(), request.begin() + vekx::offset::data);
  return round_trip(request);
}

#include "capture_download.h"

#include <boost/asio/ip/address_v4.hpp>
#include <cstring>

#include "capture_frames.h"
#include "trace_row.h"

namespace vekxsim::web {

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t loopback_family_inet[] = {0, 0, 0, 2};  // DLT_LOOP: AF_INET in network order
constexpr std::size_t ipv4_header = 20, udp_header = 8;
constexpr std::uint8_t protocol_udp = 17, time_to_live = 64;
// The pcap file's header: its magic number (microsecond times), format 2.4,
// times in UTC, the longest frame and the link type (loopback with the
// family in network order). Every number of the file is little-endian.
constexpr std::uint32_t pcap_magic = replay::pcap_magics[0], longest_frame = 65535;
constexpr std::uint16_t pcap_major = 2, pcap_minor = 4;

void put_le(std::string &out, std::uint32_t v, int bytes = 4) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(v >> (8 * i)));
}

void put_be16(Bytes &b, std::size_t at, std::size_t v) {
  b[at] = static_cast<std::uint8_t>(v >> 8);
  b[at + 1] = static_cast<std::uint8_t>(v);
}

Bytes frame_of(const TrafficRecord &r, const boost::asio::ip::address_v4::bytes_type &terminal_address,
               std::uint16_t terminal) {
  // A client whose address was not recorded is shown beside the terminal.
  const auto &peer = r.peer_address == decltype(r.peer_address){} ? terminal_address : r.peer_address;
  const std::size_t link = sizeof loopback_family_inet;
  Bytes b(link + ipv4_header + udp_header);
  std::copy(std::begin(loopback_family_inet), std::end(loopback_family_inet), b.begin());
  const std::size_t ip = link, udp = link + ipv4_header;
  b[ip] = 0x45;  // version 4, five words of header
  put_be16(b, ip + 2, ipv4_header + udp_header + r.bytes.size());
  b[ip + 8] = time_to_live;
  b[ip + 9] = protocol_udp;
  std::memcpy(&b[ip + 12], (r.inbound ? peer : terminal_address).data(), 4);
  std::memcpy(&b[ip + 16], (r.inbound ? terminal_address : peer).data(), 4);
  put_be16(b, udp, r.inbound ? r.peer_port : terminal);
  put_be16(b, udp + 2, r.inbound ? terminal : r.peer_port);
  put_be16(b, udp + 4, udp_header + r.bytes.size());
  b.insert(b.end(), r.bytes.begin(), r.bytes.end());
  return b;
}

}  // namespace

std::string capture_pcap(const std::vector<TrafficRecord> &traffic, const std::string &address,
                         std::uint16_t terminal_port) {
  boost::system::error_code ec;
  auto ip = boost::asio::ip::make_address_v4(address, ec);
  if (ec) ip = boost::asio::ip::address_v4::loopback();
  std::string out;
  put_le(out, pcap_magic);
  put_le(out, pcap_major, 2);
  put_le(out, pcap_minor, 2);
  put_le(out, 0);  // the time zone's offset
  put_le(out, 0);  // the times' accuracy
  put_le(out, longest_frame);
  put_le(out, replay::link_type::loop);
  for (const TrafficRecord &r : traffic) {
    const Bytes frame = frame_of(r, ip.to_bytes(), terminal_port);
    const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(wall_time(r).time_since_epoch()).count();
    put_le(out, static_cast<std::uint32_t>(micros / 1000000));
    put_le(out, static_cast<std::uint32_t>(micros % 1000000));
    put_le(out, static_cast<std::uint32_t>(frame.size()));  // as captured
    put_le(out, static_cast<std::uint32_t>(frame.size()));  // as sent
    out.append(frame.begin(), frame.end());
  }
  return out;
}

}  // namespace vekxsim::web

#include "capture_download.h"

#include <arpa/inet.h>
#include <pcap/pcap.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "trace_row.h"

namespace vekxsim::web {

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t loopback_family_inet[] = {0, 0, 0, 2};  // DLT_LOOP: AF_INET in network order
constexpr std::size_t ipv4_header = 20, udp_header = 8;
constexpr std::uint8_t protocol_udp = 17, time_to_live = 64;
constexpr int longest_frame = 65535;

void put_be16(Bytes &b, std::size_t at, std::size_t v) {
  b[at] = static_cast<std::uint8_t>(v >> 8);
  b[at + 1] = static_cast<std::uint8_t>(v);
}

Bytes frame_of(const TrafficRecord &r, const in_addr &terminal_address, std::uint16_t terminal) {
  // A client whose address was not recorded is shown beside the terminal.
  in_addr peer = terminal_address;
  if (r.peer_address != decltype(r.peer_address){}) std::memcpy(&peer, r.peer_address.data(), 4);
  const std::size_t link = sizeof loopback_family_inet;
  Bytes b(link + ipv4_header + udp_header);
  std::copy(std::begin(loopback_family_inet), std::end(loopback_family_inet), b.begin());
  const std::size_t ip = link, udp = link + ipv4_header;
  b[ip] = 0x45;  // version 4, five words of header
  put_be16(b, ip + 2, ipv4_header + udp_header + r.bytes.size());
  b[ip + 8] = time_to_live;
  b[ip + 9] = protocol_udp;
  std::memcpy(&b[ip + 12], r.inbound ? &peer : &terminal_address, 4);
  std::memcpy(&b[ip + 16], r.inbound ? &terminal_address : &peer, 4);
  put_be16(b, udp, r.inbound ? r.peer_port : terminal);
  put_be16(b, udp + 2, r.inbound ? terminal : r.peer_port);
  put_be16(b, udp + 4, udp_header + r.bytes.size());
  b.insert(b.end(), r.bytes.begin(), r.bytes.end());
  return b;
}

}  // namespace

std::string capture_pcap(const std::vector<TrafficRecord> &traffic, const std::string &address,
                         std::uint16_t terminal_port) {
  in_addr ip{};
  if (inet_pton(AF_INET, address.c_str(), &ip) != 1) inet_pton(AF_INET, "127.0.0.1", &ip);
  char *buffer = nullptr;
  std::size_t size = 0;
  FILE *memory = open_memstream(&buffer, &size);
  if (memory == nullptr) throw std::runtime_error("no memory for the capture");
  const std::unique_ptr<pcap_t, decltype(&pcap_close)> dead(pcap_open_dead(DLT_LOOP, longest_frame), &pcap_close);
  pcap_dumper_t *dump = pcap_dump_fopen(dead.get(), memory);
  if (dump == nullptr) {
    std::fclose(memory);
    std::free(buffer);
    throw std::runtime_error(std::string("cannot write the capture: ") + pcap_geterr(dead.get()));
  }
  for (const TrafficRecord &r : traffic) {
    const Bytes frame = frame_of(r, ip, terminal_port);
    const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(wall_time(r).time_since_epoch()).count();
    pcap_pkthdr header{};
    header.ts.tv_sec = static_cast<time_t>(micros / 1000000);
    header.ts.tv_usec = static_cast<suseconds_t>(micros % 1000000);
    header.caplen = header.len = static_cast<bpf_u_int32>(frame.size());
    pcap_dump(reinterpret_cast<u_char *>(dump), &header, frame.data());
  }
  pcap_dump_close(dump);  // closes memory, which fills buffer and size
  std::string bytes(buffer, size);
  std::free(buffer);
  return bytes;
}

}  // namespace vekxsim::web

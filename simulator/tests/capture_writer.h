// Packet captures that tests write with libpcap's dump functions, as a site
// would capture them: each datagram in an IPv4/UDP frame of a link type
// (DLT_: Ethernet with a VLAN tag, Linux cooked SLL/SLL2, loopback).
#ifndef VEKXSIM_TEST_CAPTURE_WRITER_H
#define VEKXSIM_TEST_CAPTURE_WRITER_H

#include <arpa/inet.h>
#include <pcap/pcap.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace vekx_test {

using Bytes = std::vector<std::uint8_t>;
struct Frame {
  std::chrono::microseconds time;
  std::string from, to;  // dotted IPv4 addresses
  std::uint16_t from_port, to_port;
  Bytes payload;
  std::size_t cut = 0;  // keep only this many bytes of the frame (0: all)
};
template <class T>
std::vector<T> operator+(std::vector<T> a, const std::vector<T> &b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

inline void write_pcap(const std::string &path, const std::vector<Frame> &frames, int link_type = DLT_EN10MB) {
  static const std::map<int, Bytes> link_headers = {{DLT_EN10MB, Bytes(12, 2) + Bytes{0x81, 0, 0, 7, 8, 0}},
                                                    {DLT_LINUX_SLL, Bytes(14) + Bytes{8, 0}},
                                                    {DLT_LINUX_SLL2, Bytes{8, 0} + Bytes(18)},
                                                    {DLT_NULL, {2, 0, 0, 0}},
                                                    {DLT_LOOP, {0, 0, 0, 2}}};
  pcap_t *dead = pcap_open_dead(link_type, 65535);
  pcap_dumper_t *dump = pcap_dump_open(dead, path.c_str());
  if (dump == nullptr) throw std::runtime_error(pcap_geterr(dead));
  for (const Frame &f : frames) {
    const auto hi = [](std::size_t v) { return static_cast<std::uint8_t>(v >> 8); };
    const auto lo = [](std::size_t v) { return static_cast<std::uint8_t>(v); };
    const std::size_t udp = 8 + f.payload.size(), ip = link_headers.at(link_type).size();
    Bytes b = link_headers.at(link_type) + Bytes{0x45, 0, hi(udp + 20), lo(udp + 20), 0, 0, 0x40, 0, 64, 17};
    b.resize(ip + 20);
    inet_pton(AF_INET, f.from.c_str(), &b[ip + 12]);
    inet_pton(AF_INET, f.to.c_str(), &b[ip + 16]);
    b = b + Bytes{hi(f.from_port), lo(f.from_port), hi(f.to_port), lo(f.to_port), hi(udp), lo(udp), 0, 0} + f.payload;
    pcap_pkthdr header{
        {static_cast<time_t>(f.time.count() / 1000000), static_cast<suseconds_t>(f.time.count() % 1000000)},
        static_cast<bpf_u_int32>(f.cut ? f.cut : b.size()),
        static_cast<bpf_u_int32>(b.size())};
    pcap_dump(reinterpret_cast<u_char *>(dump), &header, b.data());
  }
  pcap_dump_close(dump);
  pcap_close(dead);
}

}  // namespace vekx_test

#endif

#include "capture_writer.h"

#include <arpa/inet.h>
#include <pcap/pcap.h>

#include <stdexcept>

namespace vekx_test {

namespace {

void put16(std::vector<std::uint8_t> &b, std::uint16_t v) {
  b.push_back(static_cast<std::uint8_t>(v >> 8));
  b.push_back(static_cast<std::uint8_t>(v));
}

std::vector<std::uint8_t> link_header(int link_type) {
  std::vector<std::uint8_t> h;
  switch (link_type) {
    case DLT_EN10MB:
      h.assign(12, 0x02);
      put16(h, 0x8100);  // a VLAN tag, as switches mirror them
      put16(h, 7);
      break;
    case DLT_LINUX_SLL:
      h.assign(14, 0);
      break;
    case DLT_LINUX_SLL2:
      put16(h, 0x0800);
      h.resize(20, 0);
      return h;
    case DLT_NULL:
      return {2, 0, 0, 0};  // AF_INET, little-endian
    case DLT_LOOP:
      return {0, 0, 0, 2};
    default:
      throw std::invalid_argument("link type " + std::to_string(link_type));
  }
  put16(h, 0x0800);
  return h;
}

}  // namespace

void write_pcap(const std::string &path, const std::vector<Frame> &frames, int link_type) {
  pcap_t *dead = pcap_open_dead(link_type, 65535);
  pcap_dumper_t *dump = pcap_dump_open(dead, path.c_str());
  if (dump == nullptr) throw std::runtime_error(pcap_geterr(dead));
  for (const Frame &f : frames) {
    std::vector<std::uint8_t> b = link_header(link_type);
    const std::size_t ip = b.size();
    const std::size_t total = 20 + 8 + f.payload.size();
    b.insert(b.end(), {0x45, 0});
    put16(b, static_cast<std::uint16_t>(total));
    b.insert(b.end(), {0, 0, 0x40, 0, 64, 17, 0, 0});  // don't fragment, TTL 64, UDP
    b.resize(ip + 20);
    inet_pton(AF_INET, f.from.c_str(), &b[ip + 12]);
    inet_pton(AF_INET, f.to.c_str(), &b[ip + 16]);
    put16(b, f.from_port);
    put16(b, f.to_port);
    put16(b, static_cast<std::uint16_t>(8 + f.payload.size()));
    put16(b, 0);
    b.insert(b.end(), f.payload.begin(), f.payload.end());
    pcap_pkthdr header{};
    header.ts.tv_sec = static_cast<time_t>(f.time.count() / 1000000);
    header.ts.tv_usec = static_cast<suseconds_t>(f.time.count() % 1000000);
    header.len = static_cast<bpf_u_int32>(b.size());
    header.caplen = static_cast<bpf_u_int32>(f.cut ? f.cut : b.size());
    pcap_dump(reinterpret_cast<u_char *>(dump), &header, b.data());
  }
  pcap_dump_close(dump);
  pcap_close(dead);
}

std::vector<Frame> frames_of(const std::vector<vekxsim::TrafficRecord> &traffic) {
  std::vector<Frame> frames;
  for (const vekxsim::TrafficRecord &r : traffic) {
    const auto time = std::chrono::duration_cast<std::chrono::microseconds>(r.when.time_since_epoch());
    if (r.inbound)
      frames.push_back({time, "10.1.2.100", "10.1.2.3", r.peer_port, 1701, r.bytes});
    else
      frames.push_back({time, "10.1.2.3", "10.1.2.100", 1701, r.peer_port, r.bytes});
  }
  return frames;
}

}  // namespace vekx_test

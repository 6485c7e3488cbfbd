#include "packet_capture.h"

#include <optional>

#include "capture_frames.h"
#include "vekx_wire.h"

namespace vekxsim::replay {

namespace {

constexpr std::uint16_t ethertype_ipv4 = 0x0800;
constexpr std::uint16_t ethertype_vlan = 0x8100;
constexpr std::uint16_t ethertype_qinq = 0x88a8;
constexpr std::uint32_t family_inet = 2;  // AF_INET in a loopback header
constexpr std::uint8_t protocol_udp = 17;
constexpr std::size_t udp_header = 8;
constexpr std::uint16_t more_fragments = 0x2000, fragment_offset = 0x1fff;

std::uint16_t be16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] << 8 | b[at + 1]);
}
std::uint32_t be32(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint32_t>(be16(b, at)) << 16 | be16(b, at + 2);
}

// The IPv4 packet a frame of this link type carries, or nothing when it
// carries something else (or is too short to tell).
std::optional<std::span<const std::uint8_t>> ipv4_packet(int link_type, std::span<const std::uint8_t> frame) {
  std::size_t at = 0;
  bool ipv4 = false;
  switch (link_type) {
    case link_type::ethernet: {
      if (frame.size() < 14) return std::nullopt;
      std::uint16_t type = be16(frame, 12);
      at = 14;
      for (; (type == ethertype_vlan || type == ethertype_qinq) && frame.size() >= at + 4; at += 4)
        type = be16(frame, at + 2);
      ipv4 = type == ethertype_ipv4;
      break;
    }
    case link_type::linux_sll:
      at = 16;
      ipv4 = frame.size() >= at && be16(frame, 14) == ethertype_ipv4;
      break;
    case link_type::linux_sll2:
      at = 20;
      ipv4 = frame.size() >= at && be16(frame, 0) == ethertype_ipv4;
      break;
    case link_type::null:  // the family in the capturing machine's byte order
    case link_type::loop:  // the family in network byte order
      at = 4;
      ipv4 = frame.size() >= at &&
             (be32(frame, 0) == family_inet || (link_type == link_type::null && be32(frame, 0) == family_inet << 24));
      break;
    default:
      return std::nullopt;
  }
  if (!ipv4) return std::nullopt;
  return frame.subspan(at);
}

bool link_type_known(int link_type) {
  for (int known : {link_type::ethernet, link_type::linux_sll, link_type::linux_sll2, link_type::null, link_type::loop})
    if (link_type == known) return true;
  return false;
}

std::string dotted(std::span<const std::uint8_t> ip, std::size_t at) {
  return std::to_string(ip[at]) + '.' + std::to_string(ip[at + 1]) + '.' + std::to_string(ip[at + 2]) + '.' +
         std::to_string(ip[at + 3]);
}

struct UdpDatagram {
  CapturedDatagram datagram;
  bool fragmented = false;
};

// The UDP datagram of an IPv4 packet, as far as the packet holds it; the
// size it claims is datagram.size. Nothing for another protocol, a later
// fragment or a packet cut before the end of its UDP header.
std::optional<UdpDatagram> udp_datagram(std::span<const std::uint8_t> ip) {
  if (ip.size() < 20 || ip[0] >> 4 != 4 || ip[9] != protocol_udp) return std::nullopt;
  const std::size_t header = static_cast<std::size_t>(ip[0] & 0x0f) * 4;
  const std::uint16_t fragment = be16(ip, 6);
  if (header < 20 || (fragment & fragment_offset) != 0 || ip.size() < header + udp_header) return std::nullopt;
  const std::size_t ip_end = std::min<std::size_t>(ip.size(), std::max<std::size_t>(be16(ip, 2), header));
  const auto udp = ip.subspan(header, ip_end - header);
  UdpDatagram out;
  out.fragmented = (fragment & more_fragments) != 0;
  CapturedDatagram &d = out.datagram;
  d.from_address = dotted(ip, 12);
  d.to_address = dotted(ip, 16);
  d.from_port = be16(ip, header);
  d.to_port = be16(ip, header + 2);
  const std::size_t claimed = be16(ip, header + 4);
  d.size = claimed >= udp_header ? claimed - udp_header : 0;
  if (udp.size() > udp_header) {
    const auto payload = udp.subspan(udp_header, std::min(d.size, udp.size() - udp_header));
    d.bytes.assign(payload.begin(), payload.end());
  }
  return out;
}

// Whether a datagram is the terminal's protocol: on its usual port, or on
// any other with the record's marker where the capture shows it.
bool of_the_protocol(const CapturedDatagram &d) {
  if (d.from_port == vekx::default_port || d.to_port == vekx::default_port) return true;
  return d.bytes.size() > vekx::offset::marker && d.bytes[vekx::offset::marker] == vekx::marker_value;
}

// The warning about a file that ends within packet number.
std::string cut_short(const std::string &name, long number, const std::string &why) {
  return name + ": packet " + std::to_string(number) + " is cut short at the end of the file (" + why +
         "); replaying the " + std::to_string(number - 1) + (number == 2 ? " whole packet" : " whole packets") +
         " before it";
}

}  // namespace

std::vector<CapturedDatagram> datagrams_of(CaptureFrames &frames, const std::string &name, const Warn &warn) {
  const int link_type = frames.link_type();
  if (!link_type_known(link_type)) {
    const std::string link_name = frames.link_name();
    throw CaptureError(name + ": link type " + std::to_string(link_type) + " (" +
                       (link_name.empty() ? "unknown" : link_name) +
                       ") is not supported; capture on an Ethernet interface, on \"any\" or on loopback");
  }
  std::vector<CapturedDatagram> out;
  for (long number = 1;; ++number) {
    const std::string where = "packet " + std::to_string(number);
    std::string cut;
    std::optional<CaptureFrame> frame;
    try {
      frame = frames.next(cut);
    } catch (const std::runtime_error &e) {
      throw located(name, where, e.what());
    }
    if (!frame) {
      // A capture whose writer was killed ends within a packet: the ones
      // before it are whole.
      if (!cut.empty() && warn) warn(cut_short(name, number, cut));
      break;
    }
    const auto ip = ipv4_packet(link_type, frame->bytes);
    auto udp = ip ? udp_datagram(*ip) : std::nullopt;
    if (!udp || !of_the_protocol(udp->datagram)) continue;
    CapturedDatagram &d = udp->datagram;
    if (udp->fragmented) throw located(name, where, "a fragmented datagram; reassemble the capture first");
    if (d.bytes.size() < d.size)
      throw located(name, where,
                    "truncated: the UDP datagram has " + std::to_string(d.size) + " bytes, the capture holds " +
                        std::to_string(d.bytes.size()) + "; capture without a snapshot length (dumpcap -s 0)");
    d.time = frame->time;
    d.where = where;
    out.push_back(std::move(d));
  }
  if (out.empty())
    throw CaptureError(name + ": no datagram of a VekX terminal (marker " + std::to_string(vekx::marker_value) +
                       " at byte " + std::to_string(vekx::offset::marker) +
                       " of UDP data); capture the terminal's "
                       "traffic, on the port the terminal serves");
  return out;
}

std::vector<CapturedDatagram> read_packet_capture(std::FILE *file, const std::string &name, const Warn &warn) {
#ifdef VEKXSIM_WITH_LIBPCAP
  const auto frames = libpcap_frames(file, name);
#else
  const auto frames = classic_pcap_frames(file, name);
#endif
  return datagrams_of(*frames, name, warn);
}

}  // namespace vekxsim::replay

// The frames of a packet capture file, one at a time, whoever reads the file:
// libpcap (pcap and pcapng) where vekxsim is built with it, vekxsim's own
// reader of the classic pcap format where it is not (Windows). The
// datagrams of the terminal's protocol are taken out of the frames the same
// way for both.
#ifndef VEKXSIM_CAPTURE_FRAMES_H
#define VEKXSIM_CAPTURE_FRAMES_H

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "captured_datagram.h"

namespace vekxsim::replay {

// The first four bytes of a pcap file, read as a big-endian number:
// microsecond times either way round, then nanosecond times either way round.
inline constexpr std::uint32_t pcap_magics[] = {0xa1b2c3d4, 0xd4c3b2a1, 0xa1b23c4d, 0x4d3cb2a1};
// A pcapng file's section header block, the same both ways round.
inline constexpr std::uint32_t pcapng_magic = 0x0a0d0d0a;

// The link types (LINKTYPE_ numbers, as the files hold them) whose frames
// carry IPv4 as a site's captures do.
namespace link_type {
inline constexpr int null = 0;         // BSD loopback, the family in the capturing machine's order
inline constexpr int ethernet = 1;     // with or without VLAN tags
inline constexpr int loop = 108;       // loopback, the family in network order
inline constexpr int linux_sll = 113;  // Linux cooked capture ("-i any")
inline constexpr int linux_sll2 = 276;
}  // namespace link_type

struct CaptureFrame {
  std::chrono::microseconds time{0};
  std::span<const std::uint8_t> bytes;  // as captured; valid until the next frame is read
};

class CaptureFrames {
 public:
  virtual ~CaptureFrames() = default;
  virtual int link_type() const = 0;
  virtual std::string link_name() const = 0;  // "" where the reader knows no name
  // The next frame, or nothing at the end of the file. A file that ends
  // within a frame gives nothing and sets cut to what was missing; one
  // damaged before its end throws std::runtime_error saying how.
  virtual std::optional<CaptureFrame> next(std::string &cut) = 0;
};

// Closes the file a reader takes.
struct FileClose {
  void operator()(std::FILE *f) const { std::fclose(f); }
};

// The frames of file as libpcap reads them; only where vekxsim is built with
// libpcap. Takes file (closes it); throws CaptureError, led by name, for a
// file it cannot read.
std::unique_ptr<CaptureFrames> libpcap_frames(std::FILE *file, const std::string &name);
// The frames of a classic pcap file (what the web panel downloads and
// tcpdump -w writes) as vekxsim reads it itself; a pcapng file is refused
// with what to do. Takes file (closes it); throws CaptureError, led by name.
std::unique_ptr<CaptureFrames> classic_pcap_frames(std::FILE *file, const std::string &name);

// The datagrams of the protocol among the frames, as read_packet_capture
// gives them.
std::vector<CapturedDatagram> datagrams_of(CaptureFrames &frames, const std::string &name, const Warn &warn);

}  // namespace vekxsim::replay

#endif

#include <algorithm>
#include <iterator>

#include "capture_frames.h"

namespace vekxsim::replay {

namespace {

constexpr std::size_t file_header = 24, record_header = 16;
// No link type allows longer frames (libpcap refuses them too): a longer
// one is a damaged file, not a frame to allocate.
constexpr std::uint32_t longest_frame = 262144;
constexpr std::uint32_t link_type_bits = 0x03ffffff;  // the rest says how frames end (FCS)

class ClassicPcap final : public CaptureFrames {
 public:
  ClassicPcap(std::FILE *file, const std::string &name) : file_(file) {
    std::uint8_t header[file_header] = {};
    const std::size_t got = std::fread(header, 1, sizeof header, file_.get());
    const std::uint32_t magic = got >= 4 ? big_endian(header) : 0;
    if (magic == pcapng_magic)
      throw CaptureError(name +
                         ": a pcapng file, which this vekxsim does not read; save it as pcap (Wireshark: File, "
                         "Save As, \"Wireshark/tcpdump - pcap\"; or editcap -F pcap FILE NEW.pcap) and replay that");
    const auto *known = std::find(std::begin(pcap_magics), std::end(pcap_magics), magic);
    if (known == std::end(pcap_magics)) throw CaptureError(name + ": not a pcap file (no pcap magic number)");
    const auto which = known - std::begin(pcap_magics);
    swapped_ = which % 2 == 1;
    nanoseconds_ = which >= 2;
    if (got < file_header)
      throw CaptureError(name + ": not a readable pcap file: it ends within its " + std::to_string(file_header) +
                         "-byte header");
    link_type_ = static_cast<int>(number(header + 20) & link_type_bits);
  }
  int link_type() const override { return link_type_; }
  std::string link_name() const override { return ""; }
  std::optional<CaptureFrame> next(std::string &cut) override {
    std::uint8_t header[record_header] = {};
    const std::size_t got = std::fread(header, 1, sizeof header, file_.get());
    if (got == 0) return std::nullopt;
    if (got < record_header) {
      cut =
          "truncated: its record header has " + std::to_string(got) + " of " + std::to_string(record_header) + " bytes";
      return std::nullopt;
    }
    const std::uint32_t captured = number(header + 8);
    if (captured > longest_frame)
      throw std::runtime_error("a captured length of " + std::to_string(captured) + " bytes, more than the " +
                               std::to_string(longest_frame) + " a frame can have: the file is damaged");
    frame_.resize(captured);
    const std::size_t read = std::fread(frame_.data(), 1, captured, file_.get());
    if (read < captured) {
      cut = "truncated: the frame has " + std::to_string(read) + " of " + std::to_string(captured) + " bytes";
      return std::nullopt;
    }
    const std::uint32_t fraction = number(header + 4);
    return CaptureFrame{
        std::chrono::seconds(number(header)) + std::chrono::microseconds(nanoseconds_ ? fraction / 1000 : fraction),
        frame_};
  }

 private:
  static std::uint32_t big_endian(const std::uint8_t *b) {
    return static_cast<std::uint32_t>(b[0]) << 24 | static_cast<std::uint32_t>(b[1]) << 16 |
           static_cast<std::uint32_t>(b[2]) << 8 | b[3];
  }
  // A number of the file, in the order its magic number gave.
  std::uint32_t number(const std::uint8_t *b) const {
    const std::uint32_t v = big_endian(b);
    return swapped_ ? (v >> 24) | (v >> 8 & 0xff00) | (v << 8 & 0xff0000) | (v << 24) : v;
  }

  std::unique_ptr<std::FILE, FileClose> file_;
  bool swapped_ = false, nanoseconds_ = false;
  int link_type_ = 0;
  std::vector<std::uint8_t> frame_;
};

}  // namespace

std::unique_ptr<CaptureFrames> classic_pcap_frames(std::FILE *file, const std::string &name) {
  return std::make_unique<ClassicPcap>(file, name);
}

}  // namespace vekxsim::replay

#include <pcap/pcap.h>

#include "capture_frames.h"

namespace vekxsim::replay {

static_assert(DLT_NULL == link_type::null && DLT_EN10MB == link_type::ethernet && DLT_LOOP == link_type::loop &&
              DLT_LINUX_SLL == link_type::linux_sll && DLT_LINUX_SLL2 == link_type::linux_sll2);

namespace {

struct PcapClose {
  void operator()(pcap_t *p) const { pcap_close(p); }
};

class LibpcapFrames final : public CaptureFrames {
 public:
  LibpcapFrames(std::FILE *file, const std::string &name) {
    std::unique_ptr<std::FILE, FileClose> owned(file);
    char error[PCAP_ERRBUF_SIZE] = {};
    pcap_.reset(pcap_fopen_offline(owned.get(), error));
    if (!pcap_) throw CaptureError(name + ": not a readable pcap or pcapng file: " + error);
    static_cast<void>(owned.release());  // pcap_close closes it now
  }
  int link_type() const override { return pcap_datalink(pcap_.get()); }
  std::string link_name() const override {
    const char *name = pcap_datalink_val_to_name(link_type());
    return name ? name : "";
  }
  std::optional<CaptureFrame> next(std::string &cut) override {
    pcap_pkthdr *header = nullptr;
    const std::uint8_t *frame = nullptr;
    const int got = pcap_next_ex(pcap_.get(), &header, &frame);
    if (got == PCAP_ERROR_BREAK) return std::nullopt;
    if (got != 1) {
      std::string error = pcap_geterr(pcap_.get());
      // libpcap's word for a record that the file's end cut short.
      if (got != PCAP_ERROR || error.find("truncated") == std::string::npos) throw std::runtime_error(error);
      cut = std::move(error);
      return std::nullopt;
    }
    return CaptureFrame{std::chrono::seconds(header->ts.tv_sec) + std::chrono::microseconds(header->ts.tv_usec),
                        {frame, header->caplen}};
  }

 private:
  std::unique_ptr<pcap_t, PcapClose> pcap_;
};

}  // namespace

std::unique_ptr<CaptureFrames> libpcap_frames(std::FILE *file, const std::string &name) {
  return std::make_unique<LibpcapFrames>(file, name);
}

}  // namespace vekxsim::replay

#include "capture_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "capture_frames.h"
#include "packet_capture.h"
#include "traffic_log_capture.h"

namespace vekxsim::replay {

bool is_packet_capture(std::span<const std::uint8_t> first_bytes) {
  if (first_bytes.size() < 4) return false;
  const std::uint32_t magic =
      static_cast<std::uint32_t>(first_bytes[0]) << 24 | first_bytes[1] << 16 | first_bytes[2] << 8 | first_bytes[3];
  for (std::uint32_t m : pcap_magics)
    if (magic == m) return true;
  return magic == pcapng_magic;
}

std::vector<CapturedDatagram> read_capture(const std::string &path, const Warn &warn) {
  std::ifstream in(path, std::ios::binary);
  std::uint8_t first[4] = {};
  if (!in || !in.read(reinterpret_cast<char *>(first), sizeof first)) {
    if (in.is_open() && in.eof()) throw CaptureError(path + ": not a capture: the file is empty or nearly so");
    throw CaptureError(path + ": cannot be read: " + std::strerror(errno));
  }
  if (!is_packet_capture(first)) {
    in.seekg(0);
    return read_traffic_log(in, path);
  }
  in.close();
  std::FILE *file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) throw CaptureError(path + ": cannot be read: " + std::strerror(errno));
  return read_packet_capture(file, path, warn);
}

}  // namespace vekxsim::replay

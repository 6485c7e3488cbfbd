#include "capture_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "capture_frames.h"
#include "console_text.h"
#include "packet_capture.h"
#include "traffic_log_capture.h"
#include "vekx_wire.h"

namespace vekxsim::replay {

std::string malformation(const CapturedDatagram &d) {
  if (d.size < vekx::header_size || d.bytes.size() < vekx::header_size)
    return "a record of " + std::to_string(d.size) + " bytes, shorter than the 29-byte header";
  if (d.bytes[vekx::offset::marker] != vekx::marker_value)
    return "marker " + std::to_string(d.bytes[vekx::offset::marker]) + ", not 100";
  const std::size_t length = vekx::get_u16(d.bytes, vekx::offset::data_length);
  if (length > d.size - vekx::header_size)
    return "data length " + std::to_string(length) + " runs beyond the datagram (" +
           std::to_string(d.size - vekx::header_size) + " bytes after the header)";
  return {};
}

namespace {

std::vector<CapturedDatagram> without_malformed(std::vector<CapturedDatagram> datagrams, const std::string &path,
                                                const Warn &warn) {
  std::size_t count = 0;
  std::string first;
  std::erase_if(datagrams, [&](const CapturedDatagram &d) {
    std::string fault = malformation(d);
    if (fault.empty()) return false;
    if (count++ == 0) first = d.where + ": " + fault;
    return true;
  });
  if (count > 0 && warn) warn(passed_over(path, count, first));
  return datagrams;
}

}  // namespace

bool is_packet_capture(std::span<const std::uint8_t> first_bytes) {
  if (first_bytes.size() < 4) return false;
  const std::uint32_t magic =
      static_cast<std::uint32_t>(first_bytes[0]) << 24 | first_bytes[1] << 16 | first_bytes[2] << 8 | first_bytes[3];
  for (std::uint32_t m : pcap_magics)
    if (magic == m) return true;
  return magic == pcapng_magic;
}

std::vector<CapturedDatagram> read_capture(const std::string &path, const Warn &warn) {
  std::ifstream in(vekx_common::path_named(path), std::ios::binary);
  std::uint8_t first[4] = {};
  if (!in || !in.read(reinterpret_cast<char *>(first), sizeof first)) {
    if (in.is_open() && in.eof()) throw CaptureError(path + ": not a capture: the file is empty or nearly so");
    throw CaptureError(path + ": cannot be read: " + std::strerror(errno));
  }
  if (!is_packet_capture(first)) {
    in.seekg(0);
    return read_traffic_log(in, path, warn);
  }
  in.close();
  std::FILE *file = vekx_common::open_named(path, "rb");
  if (file == nullptr) throw CaptureError(path + ": cannot be read: " + std::strerror(errno));
  return without_malformed(read_packet_capture(file, path, warn), path, warn);
}

}  // namespace vekxsim::replay

#include "trace_row.h"

#include "traffic_line.h"
#include "vekx_wire.h"

namespace vekxsim::web {

std::chrono::system_clock::time_point wall_time(const TrafficRecord &record) {
  const auto age = std::chrono::steady_clock::now() - record.when;
  return std::chrono::system_clock::now() - std::chrono::duration_cast<std::chrono::system_clock::duration>(age);
}

Json trace_row(const TrafficRecord &record, std::chrono::system_clock::time_point wall, std::uint64_t id) {
  namespace offset = vekx::offset;
  const std::span<const std::uint8_t> bytes(record.bytes);
  const std::string described = describe_datagram(bytes, record.received_size);
  Json row = {{"id", id},
              {"time_ms", std::chrono::duration_cast<std::chrono::milliseconds>(wall.time_since_epoch()).count()},
              {"inbound", record.inbound},
              {"peer_port", record.peer_port}};
  if (described.starts_with("malformed")) {
    row["operation"] = "malformed";
    row["line"] = described;
    return row;
  }
  const std::size_t length = vekx::get_u16(bytes, offset::data_length);
  const auto data = bytes.subspan(offset::data, std::min(length, bytes.size() - offset::data));
  row["type"] = message_type_name(vekx::get_u16(bytes, offset::message_type));
  row["operation"] = operation_name(bytes[offset::operation]);
  // A request names its field as the target, a reply as the source.
  row["field"] = vekx::get_name(bytes, record.inbound ? offset::target_name : offset::source_name);
  row["sequence"] = bytes[offset::sequence];
  row["status"] = bytes[offset::status];
  row["value"] = printable_text(data);
  row["line"] = described;
  return row;
}

}  // namespace vekxsim::web

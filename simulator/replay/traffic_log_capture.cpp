#include "traffic_log_capture.h"

#include <initializer_list>
#include <optional>
#include <string_view>

#include "hex_bytes.h"
#include "traffic_line.h"
#include "vekx_wire.h"

namespace vekxsim::replay {

namespace {

using std::chrono::milliseconds;
constexpr std::string_view inbound = " IN  :", outbound = " OUT :", malformed = "malformed: ";
constexpr std::size_t stamp_size = 12;  // hh:mm:ss.mmm
constexpr milliseconds day = std::chrono::hours(24);

template <class Number>
std::optional<Number> number(std::string_view text, long high) {
  const auto value = vekx::whole_number(text, 0, high);
  if (!value) return std::nullopt;
  return static_cast<Number>(*value);
}

std::optional<milliseconds> time_of_day(std::string_view s) {
  if (s.size() < stamp_size || s[2] != ':' || s[5] != ':' || s[8] != '.') return std::nullopt;
  const auto h = number<long>(s.substr(0, 2), 23), m = number<long>(s.substr(3, 2), 59),
             sec = number<long>(s.substr(6, 2), 59), ms = number<long>(s.substr(9, 3), 999);
  if (!h || !m || !sec || !ms) return std::nullopt;
  return milliseconds(((*h * 60 + *m) * 60 + *sec) * 1000 + *ms);
}

// When a session began, from its session line: the local date and time,
// counted from 1970-01-01 as the clock of its day; nothing for another line.
std::optional<milliseconds> session_start(std::string_view line) {
  if (line.substr(0, session_mark.size()) != session_mark) return std::nullopt;
  const std::string_view date = line.substr(session_mark.size());
  if (date.size() < 19 || date[4] != '-' || date[7] != '-' || date[10] != ' ') return std::nullopt;
  const auto y = number<int>(date.substr(0, 4), 9999);
  const auto m = number<unsigned>(date.substr(5, 2), 12), d = number<unsigned>(date.substr(8, 2), 31);
  const auto clock = time_of_day(std::string(date.substr(11, 8)) + ".000");
  if (!y || !m || !d || !clock) return std::nullopt;
  const std::chrono::year_month_day day{std::chrono::year(*y), std::chrono::month(*m), std::chrono::day(*d)};
  if (!day.ok()) return std::nullopt;
  return std::chrono::sys_days(day).time_since_epoch() + *clock;
}

// The code whose name the traffic log gives, from the log's own naming
// function: one of the known codes, or "<prefix>N".
template <class Code>
std::optional<Code> code_named(std::string_view word, std::initializer_list<Code> known, std::string (*name_of)(Code),
                               std::string_view prefix, long high) {
  for (Code c : known)
    if (name_of(c) == word) return c;
  if (word.substr(0, prefix.size()) != prefix) return std::nullopt;
  return number<Code>(word.substr(prefix.size()), high);
}

// The record that describe_datagram() wrote as text, or nothing when the
// text is not in its form.
std::optional<CapturedDatagram> record_of(std::string_view text) {
  namespace type = vekx::message_type;
  namespace op = vekx::operation;
  const std::size_t data_at = text.find(" data=\"");
  const std::size_t hex_at = text.rfind(" hex=");
  if (data_at == std::string_view::npos || hex_at == std::string_view::npos || hex_at < data_at) return std::nullopt;
  const std::string_view head = text.substr(0, data_at);
  const std::size_t seq_at = head.rfind(" seq="), status_at = head.rfind(" status="), len_at = head.rfind(" len=");
  const std::size_t first_space = head.find(' ');
  const std::size_t second_space = head.find(' ', first_space + 1);
  const std::size_t arrow = head.find(" -> ", second_space + 1);
  if (seq_at == std::string_view::npos || status_at < seq_at || len_at < status_at || arrow > seq_at)
    return std::nullopt;
  const auto message_type = code_named<std::uint16_t>(
      head.substr(0, first_space),
      {type::field_access, type::display_text, type::display_control, type::keystroke_kind1, type::keystroke_kind2},
      message_type_name, "type-", 65535);
  const auto operation = code_named<std::uint8_t>(
      head.substr(first_space + 1, second_space - first_space - 1),
      {op::read, op::formatted_read, op::write, op::formatted_write, op::none}, operation_name, "op-", 255);
  const auto sequence = number<std::uint8_t>(head.substr(seq_at + 5, status_at - seq_at - 5), 255);
  const auto status = number<std::uint8_t>(head.substr(status_at + 8, len_at - status_at - 8), 255);
  const auto length = number<std::uint16_t>(head.substr(len_at + 5), 65535);
  std::string_view hex = text.substr(hex_at + 5);
  hex = hex.substr(0, std::min(hex.find(" ..."), hex.find(" (")));
  const auto data = vekx_common::parse_hex_bytes(hex);
  if (!message_type || !operation || !sequence || !status || !length || !data || data->size() > *length)
    return std::nullopt;
  const std::string source(head.substr(second_space + 1, arrow - second_space - 1));
  const std::string target(head.substr(arrow + 4, seq_at - arrow - 4));
  CapturedDatagram d;
  d.size = vekx::record_overhead + *length;
  d.bytes.assign(vekx::header_size + data->size() + (data->size() == *length ? 1 : 0), 0);
  d.bytes[vekx::offset::marker] = vekx::marker_value;
  vekx::put_u16(d.bytes, vekx::offset::message_type, *message_type);
  vekx::put_name(d.bytes, vekx::offset::source_name, source.c_str());
  vekx::put_name(d.bytes, vekx::offset::target_name, target.c_str());
  d.bytes[vekx::offset::operation] = *operation;
  d.bytes[vekx::offset::status] = *status;
  d.bytes[vekx::offset::sequence] = *sequence;
  vekx::put_u16(d.bytes, vekx::offset::data_length, *length);
  std::copy(data->begin(), data->end(), d.bytes.begin() + vekx::offset::data);
  return d;
}

}  // namespace

std::vector<CapturedDatagram> read_traffic_log(std::istream &in, const std::string &name, const Warn &warn) {
  std::vector<CapturedDatagram> out;
  std::size_t malformed_lines = 0;
  std::string first_malformed;
  std::string line;
  milliseconds days{0}, previous{0};
  int session = 1;
  bool session_begun = false;  // by a session line or by a datagram
  for (long number_of_line = 1; std::getline(in, line); ++number_of_line) {
    // A log that went through a Windows editor or text-mode copy ends its
    // lines with CR LF.
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string_view view(line);
    if (const auto began = session_start(view)) {
      session += session_begun ? 1 : 0;
      session_begun = true;
      previous = *began;
      days = std::chrono::floor<std::chrono::days>(*began);
      continue;
    }
    const auto stamp = time_of_day(view);
    if (!stamp || view.size() <= stamp_size + inbound.size()) continue;
    const std::string_view direction = view.substr(stamp_size, inbound.size());
    if (direction != inbound && direction != outbound) continue;
    const std::string_view rest = view.substr(stamp_size + inbound.size());
    const std::size_t port_end = rest.find(' ');
    const auto port = number<std::uint16_t>(rest.substr(0, port_end), 65535);
    if (!port || port_end == std::string_view::npos) continue;
    const std::string where = "line " + std::to_string(number_of_line);
    const std::string_view text = rest.substr(port_end + 1);
    if (text.substr(0, malformed.size()) == malformed) {
      if (malformed_lines++ == 0)
        first_malformed =
            where + ": " + std::string(text.substr(malformed.size(), text.find(" hex=") - malformed.size()));
      continue;
    }
    auto d = record_of(text);
    if (!d) throw located(name, where, "not a traffic line as vekxsim --log writes it: " + line);
    if (*stamp + days < previous - day / 2) days += day;  // past midnight
    previous = *stamp + days;
    d->time = previous;
    d->to_terminal = direction == inbound;
    (*d->to_terminal ? d->from_port : d->to_port) = *port;
    d->where = where;
    d->session = session;
    session_begun = true;
    out.push_back(std::move(*d));
  }
  if (out.empty() && malformed_lines == 0)
    throw CaptureError(name + ": not a capture: neither a pcap or pcapng file nor a traffic log of vekxsim --log");
  if (malformed_lines > 0 && warn) warn(passed_over(name, malformed_lines, first_malformed));
  return out;
}

}  // namespace vekxsim::replay

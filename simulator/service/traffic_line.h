// One readable line per datagram for the traffic log: what a technician
// reads first when the console and the terminal disagree.
#ifndef VEKXSIM_TRAFFIC_LINE_H
#define VEKXSIM_TRAFFIC_LINE_H

#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "traffic_recorder.h"

namespace vekxsim {

// "field-access", "display-text", "display-control", "keystroke-1",
// "keystroke-2", or "type-N" for any other message type.
std::string message_type_name(std::uint16_t type);
// "read", "formatted-read", "write", "formatted-write", "none", or "op-N".
std::string operation_name(std::uint8_t operation);

// The datagram's fields without time or direction, e.g.
//   field-access read /w1/w0001 -> /t1/bx297 seq=5 status=0 len=1 data="." hex=ff
// A malformed datagram reads "malformed: <reason>" followed by its first
// bytes in hex. kept is what was kept of a datagram of received_size bytes
// (0: all of it); nothing beyond kept is read.
std::string describe_datagram(std::span<const std::uint8_t> kept, std::size_t received_size = 0);

// Time of day (hh:mm:ss.mmm, local time), direction and peer port, then
// describe_datagram, e.g.
//   14:02:11.347 IN  :1701 field-access read /w1/w0001 -> /t1/bx297 seq=5 ...
std::string traffic_line(const TrafficRecord &record, std::chrono::system_clock::time_point wall_time);

// The line that begins each session of a traffic log file (--log), with the
// local date and time it began and the offset from UTC, so that a log kept
// over days tells its sessions and their days apart:
//   # vekxsim session 2026-12-07 14:02:11 +0100
inline constexpr std::string_view session_mark = "# vekxsim session ";
std::string session_line(std::chrono::system_clock::time_point began);

// Data bytes as UTF-8 text: each byte as the Windows-1252 character it
// stands for, control bytes and undefined ones as '.'.
std::string printable_text(std::span<const std::uint8_t> data);

}  // namespace vekxsim

#endif

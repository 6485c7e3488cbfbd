// One datagram of the terminal's protocol as a capture holds it, whichever
// form the capture has: a packet capture or vekxsim's traffic log.
#ifndef VEKXSIM_CAPTURED_DATAGRAM_H
#define VEKXSIM_CAPTURED_DATAGRAM_H

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vekxsim::replay {

struct CapturedDatagram {
  std::chrono::microseconds time{0};  // from an origin of the capture's own
  // Dotted IPv4 addresses; empty where the capture does not record them (a
  // traffic log records only the client's port, and 0 as the terminal's).
  std::string from_address, to_address;
  std::uint16_t from_port = 0, to_port = 0;
  // A traffic log says which way a datagram went; a packet capture leaves
  // it to the record's content.
  std::optional<bool> to_terminal;
  std::vector<std::uint8_t> bytes;  // the datagram, or its first bytes when size says more
  std::size_t size = 0;             // the datagram's real length
  std::string where;                // "packet 12", "line 40": for messages
  // The session of a traffic log, 1 on; 0 for a packet capture.
  int session = 0;
};

// A capture that cannot be replayed; what() names the file and the problem.
class CaptureError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
// Takes a warning about a capture that is replayed all the same: "FILE:
// packet 12 is cut short ...".
using Warn = std::function<void(const std::string &)>;

// The warning for the malformed datagrams a replay passes over, as the
// terminal passed them over when they came: "FILE: passed over 2 malformed
// datagrams, which a terminal ignores (the first, line 3: short datagram
// (3 bytes))".
inline std::string passed_over(const std::string &file, std::size_t count, const std::string &first) {
  return file + ": passed over " + std::to_string(count) + " malformed datagram" + (count == 1 ? "" : "s") +
         ", which a terminal ignores (" + (count == 1 ? "" : "the first, ") + first + ")";
}

// "FILE: packet 12: what".
inline CaptureError located(const std::string &file, const std::string &where, const std::string &what) {
  return CaptureError(file + ": " + where + ": " + what);
}

}  // namespace vekxsim::replay

#endif

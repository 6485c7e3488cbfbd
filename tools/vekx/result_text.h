// Library results as vekx shows them ("1 no usable answer from
// 127.0.0.1:1701", "terminal status 3 ...") and the exit status each one
// leads to.
#ifndef VEKX_TOOL_RESULT_TEXT_H
#define VEKX_TOOL_RESULT_TEXT_H

#include <cstdint>
#include <string>

namespace vekx_tool {

// Exit statuses of vekx.
namespace exit_status {
inline constexpr int success = 0;          // result 0
inline constexpr int no_answer = 1;        // result 1: the terminal did not answer usably
inline constexpr int usage = 2;            // bad command line; nothing was sent
inline constexpr int terminal_status = 3;  // the terminal answered with a status other than 0
inline constexpr int refused = 4;          // the library refused: -1, -2, -4, 2, 4, 5
inline constexpr int sockets_error = 5;    // a Windows Sockets error number, 10004 and up
}  // namespace exit_status

// Who can have produced a result.
enum class ResultOrigin {
  library,        // registration, close, display and keystroke: never a terminal status
  terminal,       // a read whose reply was accepted: the terminal's status byte
  read_or_write,  // a write: 1, 2 and 4 may be the library's or the terminal's
};

// What the call was about, so that a failure can name its cause.
struct CallContext {
  std::string address_list = {};  // as registered
  std::string field = {};         // the field read or written; empty for other calls
  int node = 0;                   // the node of a display or keystroke request; 0 otherwise
};

struct ResultDescription {
  std::string text;  // "10048 address in use", "terminal status 3 (...)"
  int exit_status;
};

ResultDescription describe_result(std::int16_t result, ResultOrigin origin, const CallContext &context = {});

}  // namespace vekx_tool

#endif

// Library results as vekx shows them (common/result_text.h words them), and
// the exit status each one leads to.
#ifndef VEKX_TOOL_EXIT_STATUS_H
#define VEKX_TOOL_EXIT_STATUS_H

#include <cstdint>
#include <string>

#include "result_text.h"

namespace vekx_tool {

// Exit statuses of vekx.
namespace exit_status {
inline constexpr int success = 0;          // result 0
inline constexpr int no_answer = 1;        // result 1: the terminal did not answer usably, or a request was not sent
inline constexpr int usage = 2;            // bad command line; nothing was sent
inline constexpr int terminal_status = 3;  // the terminal answered with a status other than 0
inline constexpr int refused = 4;          // the library refused: -1, -2, -4, 2, 4, 5
inline constexpr int sockets_error = 5;    // a Windows Sockets error number, 10004 and up
}  // namespace exit_status

using vekx_common::CallContext;
using vekx_common::ResultOrigin;

struct ResultDescription {
  std::string text;  // "10048 local UDP port 1701 is in use ...", "terminal status 3 (...)"
  int exit_status;
};

// The context's node, when 0, is taken from its field name.
ResultDescription describe_call_result(std::int16_t result, ResultOrigin origin, CallContext context = {});

}  // namespace vekx_tool

#endif

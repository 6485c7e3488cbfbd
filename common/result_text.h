// A library result as a one-line message gives it, with the cause where the
// call tells it: "1 no usable answer from 127.0.0.1:1701", "10048 local UDP
// port 1701 is in use by ...", "terminal status 3 (vekxsim: no such field;
// ...)". vekx and the console word their results alike through it.
#ifndef VEKX_COMMON_RESULT_TEXT_H
#define VEKX_COMMON_RESULT_TEXT_H

#include <cstdint>
#include <string>

namespace vekx_common {

// Who can have produced a result.
enum class ResultOrigin {
  library,        // registration and close: never a terminal status
  terminal,       // a read whose reply was accepted: the terminal's status byte
  read_or_write,  // a read or write that cannot tell: 1 may be the library's or the terminal's
  one_way,        // display and keystroke: sent, never answered
};

// What the call was about, so that a failure can name its cause.
struct CallContext {
  std::string address_list = {};  // as registered
  std::string field = {};         // the field read or written; empty for other calls
  int node = 0;                   // the node of the call, 1..16; 0 when it names none
};

// Whether the result is the terminal's status byte rather than the library's.
bool is_terminal_status(std::int16_t result, ResultOrigin origin, const CallContext &context = {});

std::string describe_result(std::int16_t result, ResultOrigin origin, const CallContext &context = {});

// The sentence that says what the result means and what to do.
std::string result_details(std::int16_t result, ResultOrigin origin, const CallContext &context = {});

}  // namespace vekx_common

#endif

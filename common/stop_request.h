// Ctrl+C and the other requests to end a console program, taken as news
// rather than as the program's sudden end: on Linux SIGINT and SIGTERM, on
// Windows Ctrl+C, Ctrl+Break and the closing of the console window. The
// program finishes what it does and ends in its own time.
// stop_request_posix.cpp and stop_request_windows.cpp each define all of it.
#ifndef VEKX_COMMON_STOP_REQUEST_H
#define VEKX_COMMON_STOP_REQUEST_H

namespace vekx_common {

enum class StopRequest { none, interrupt, terminate };

// From now on the requests wait, queued, for wait_stop_request(). Call it
// before the program starts a thread. It also keeps the program running
// when it writes to a closed pipe or reads its terminal from the
// background: those calls fail instead.
void hold_stop_requests();

// The request that came, waiting up to timeout_ms for one (0: only one that
// is already queued); none when none came.
StopRequest wait_stop_request(int timeout_ms);

}  // namespace vekx_common

#endif

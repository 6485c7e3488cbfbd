#include <windows.h>

#include <atomic>

#include "stop_request.h"

namespace vekx_common {

namespace {

std::atomic<StopRequest> queued{StopRequest::none};
HANDLE arrived = nullptr;  // set while a request is queued

// Runs on a thread of its own that the system starts. Answering TRUE keeps
// the program alive; for the closing of the window the system still ends
// it when this returns, so the handler waits a little for the program to
// finish.
BOOL WINAPI on_console_event(DWORD event) {
  const bool interrupt = event == CTRL_C_EVENT;
  queued = interrupt ? StopRequest::interrupt : StopRequest::terminate;
  SetEvent(arrived);
  if (event == CTRL_CLOSE_EVENT) Sleep(2000);
  return TRUE;
}

}  // namespace

void hold_stop_requests() {
  if (arrived == nullptr) arrived = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  SetConsoleCtrlHandler(on_console_event, TRUE);
}

StopRequest wait_stop_request(int timeout_ms) {
  if (arrived == nullptr || WaitForSingleObject(arrived, static_cast<DWORD>(timeout_ms)) != WAIT_OBJECT_0)
    return StopRequest::none;
  ResetEvent(arrived);
  return queued.exchange(StopRequest::none);
}

}  // namespace vekx_common

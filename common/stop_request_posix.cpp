#include <signal.h>
#include <time.h>

#include "stop_request.h"

namespace vekx_common {

namespace {

sigset_t stop_signals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  return signals;
}

}  // namespace

// Blocked in this thread and in every thread it starts later, the signals
// stay pending until sigtimedwait takes them.
void hold_stop_requests() {
  const sigset_t signals = stop_signals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  signal(SIGPIPE, SIG_IGN);
  signal(SIGTTIN, SIG_IGN);
}

StopRequest wait_stop_request(int timeout_ms) {
  const sigset_t signals = stop_signals();
  const timespec timeout{timeout_ms / 1000, (timeout_ms % 1000) * 1000L * 1000L};
  switch (sigtimedwait(&signals, nullptr, &timeout)) {
    case SIGINT:
      return StopRequest::interrupt;
    case SIGTERM:
      return StopRequest::terminate;
    default:
      return StopRequest::none;
  }
}

}  // namespace vekx_common

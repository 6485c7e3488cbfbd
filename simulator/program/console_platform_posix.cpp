#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "console_platform.h"

namespace vekxsim::console {

bool stdin_is_ours() {
  const pid_t foreground = ::tcgetpgrp(STDIN_FILENO);
  return foreground < 0 || foreground == ::getpgrp();
}

bool stdin_is_terminal() { return ::isatty(STDIN_FILENO) != 0; }

// A pipe whose reading end the waits watch beside standard input: a byte
// written to it wakes them.
struct StandardInput::Impl {
  int wake_pipe[2] = {-1, -1};
};

StandardInput::StandardInput() : impl_(std::make_unique<Impl>()) {
  if (::pipe2(impl_->wake_pipe, O_CLOEXEC) != 0) impl_->wake_pipe[0] = impl_->wake_pipe[1] = -1;
}

StandardInput::~StandardInput() {
  for (int fd : impl_->wake_pipe)
    if (fd >= 0) ::close(fd);
}

StandardInput::Wait StandardInput::wait(int timeout_ms) {
  pollfd fds[2] = {{stdin_is_ours() ? STDIN_FILENO : -1, POLLIN, 0}, {impl_->wake_pipe[0], POLLIN, 0}};
  if (::poll(fds, 2, timeout_ms) <= 0) return Wait::idle;
  if (fds[0].revents & POLLNVAL) return Wait::gone;
  return fds[0].revents & (POLLIN | POLLHUP) ? Wait::ready : Wait::idle;
}

long StandardInput::read(char *buffer, std::size_t size) {
  const ssize_t n = ::read(STDIN_FILENO, buffer, size);
  if (n < 0 && (errno == EINTR || errno == EIO || errno == EAGAIN)) return -1;  // EIO: put in the background
  return n < 0 ? 0 : static_cast<long>(n);
}

void StandardInput::wake() {
  const char wake = 1;
  [[maybe_unused]] const auto ignored = ::write(impl_->wake_pipe[1], &wake, 1);
}

}  // namespace vekxsim::console

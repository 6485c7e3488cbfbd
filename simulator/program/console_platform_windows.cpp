#include <windows.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "console_platform.h"

namespace vekxsim::console {

namespace {

HANDLE input() { return GetStdHandle(STD_INPUT_HANDLE); }

// A pipe cannot be waited on, and Wine cannot peek into a pipe of the host:
// a thread of its own reads it, blocked in ReadFile, and hands the bytes
// over here. It is left running when the program ends.
struct PipeReader {
  std::mutex mutex;
  std::condition_variable changed;
  std::string bytes;  // read, not yet taken
  bool ended = false;
  bool woken = false;
};

void read_pipe(HANDLE in, const std::shared_ptr<PipeReader> &pipe) {
  char buffer[512];
  for (;;) {
    DWORD n = 0;
    const bool read = ReadFile(in, buffer, sizeof buffer, &n, nullptr) && n > 0;
    std::lock_guard lock(pipe->mutex);
    if (read)
      pipe->bytes.append(buffer, n);
    else
      pipe->ended = true;
    pipe->changed.notify_all();
    if (!read) return;
  }
}

// Whether a console's queue holds a key pressed; its other events (the
// mouse, the focus, the window's size) are taken out of the way.
bool console_key_waiting(HANDLE console) {
  DWORD count = 0;
  if (!GetNumberOfConsoleInputEvents(console, &count) || count == 0) return false;
  std::vector<INPUT_RECORD> events(count);
  if (!PeekConsoleInputW(console, events.data(), count, &count)) return false;
  const auto key = std::find_if(events.begin(), events.begin() + count,
                                [](const INPUT_RECORD &e) { return e.EventType == KEY_EVENT; });
  if (key != events.begin()) {
    DWORD dropped = 0;
    ReadConsoleInputW(console, events.data(), static_cast<DWORD>(key - events.begin()), &dropped);
  }
  return key != events.begin() + count;
}

}  // namespace

bool stdin_is_ours() { return true; }  // a Windows console has no background jobs

bool stdin_is_terminal() {
  DWORD mode = 0;
  return GetConsoleMode(input(), &mode) != 0;
}

struct StandardInput::Impl {
  HANDLE woken = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::shared_ptr<PipeReader> pipe;  // once standard input is found to be a pipe
};

StandardInput::StandardInput() : impl_(std::make_unique<Impl>()) {}

StandardInput::~StandardInput() { CloseHandle(impl_->woken); }

StandardInput::Wait StandardInput::wait(int timeout_ms) {
  const HANDLE in = input();
  if (in == nullptr || in == INVALID_HANDLE_VALUE) return Wait::gone;
  switch (GetFileType(in)) {
    case FILE_TYPE_CHAR: {
      if (!stdin_is_terminal()) return Wait::ready;  // the null device
      const HANDLE both[2] = {in, impl_->woken};
      if (WaitForMultipleObjects(2, both, FALSE, static_cast<DWORD>(timeout_ms)) != WAIT_OBJECT_0) return Wait::idle;
      return console_key_waiting(in) ? Wait::ready : Wait::idle;
    }
    case FILE_TYPE_PIPE: {
      if (!impl_->pipe) {
        impl_->pipe = std::make_shared<PipeReader>();
        std::thread(read_pipe, in, impl_->pipe).detach();
      }
      PipeReader &pipe = *impl_->pipe;
      std::unique_lock lock(pipe.mutex);
      pipe.changed.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                            [&pipe] { return !pipe.bytes.empty() || pipe.ended || pipe.woken; });
      return !pipe.bytes.empty() || pipe.ended ? Wait::ready : Wait::idle;
    }
    case FILE_TYPE_UNKNOWN:
      return GetLastError() == NO_ERROR ? Wait::ready : Wait::gone;
    default:  // a file
      return Wait::ready;
  }
}

long StandardInput::read(char *buffer, std::size_t size) {
  if (impl_->pipe) {
    std::lock_guard lock(impl_->pipe->mutex);
    const std::size_t n = std::min(size, impl_->pipe->bytes.size());
    impl_->pipe->bytes.copy(buffer, n);
    impl_->pipe->bytes.erase(0, n);
    return static_cast<long>(n);  // 0 only once the pipe has ended
  }
  DWORD n = 0;
  if (!ReadFile(input(), buffer, static_cast<DWORD>(size), &n, nullptr))
    return GetLastError() == ERROR_OPERATION_ABORTED ? -1 : 0;  // aborted: Ctrl+C while a line was typed
  return static_cast<long>(n);
}

void StandardInput::wake() {
  SetEvent(impl_->woken);
  if (impl_->pipe) {
    std::lock_guard lock(impl_->pipe->mutex);
    impl_->pipe->woken = true;
    impl_->pipe->changed.notify_all();
  }
}

}  // namespace vekxsim::console

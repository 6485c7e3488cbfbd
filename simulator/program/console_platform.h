// What vekxsim asks of the operating system for its standard input: whether
// a person types at it, and a wait for a line that the program can cut
// short when it stops. console_platform_posix.cpp and
// console_platform_windows.cpp each define all of it.
#ifndef VEKXSIM_CONSOLE_PLATFORM_H
#define VEKXSIM_CONSOLE_PLATFORM_H

#include <cstddef>
#include <memory>

namespace vekxsim::console {

// Whether standard input may be read now: always when it is not a terminal
// (a pipe, a file), but a terminal only while this program is its foreground
// job; reading it from the background would stop the whole job.
bool stdin_is_ours();

// Whether standard input is a terminal or console window a person types at.
bool stdin_is_terminal();

class StandardInput {
 public:
  StandardInput();
  ~StandardInput();
  StandardInput(const StandardInput &) = delete;
  StandardInput &operator=(const StandardInput &) = delete;

  enum class Wait {
    ready,  // read() will not wait long
    idle,   // nothing came within the time, or wake() was called
    gone,   // the program has no standard input at all
  };
  Wait wait(int timeout_ms);

  // Bytes read into buffer; 0 at the end of input (or a failure that ends
  // it); -1 for a read to try again (interrupted, or made from the
  // background).
  long read(char *buffer, std::size_t size);

  // Ends the current wait and every later one at once.
  void wake();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vekxsim::console

#endif

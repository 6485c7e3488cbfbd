// Runs a program as a child process with the test's environment, with
// bounded waits throughout.
#ifndef VEKX_TEST_CHILD_PROCESS_H
#define VEKX_TEST_CHILD_PROCESS_H

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vekx_test {

// A child whose standard input is a pipe the test writes lines to, whose
// standard output is read line by line as it comes, and whose standard
// error is kept.
class RunningProgram {
 public:
  RunningProgram(const std::string &program, const std::vector<std::string> &args);
  ~RunningProgram();
  RunningProgram(const RunningProgram &) = delete;
  RunningProgram &operator=(const RunningProgram &) = delete;

  // Reads lines until one satisfies wanted; false when `limit` ran out or
  // the output ended first. Every line read stays in lines().
  bool wait_for_line(const std::function<bool(const std::string &)> &wanted, std::chrono::milliseconds limit);
  const std::vector<std::string> &lines() const { return lines_; }
  const std::string &output() const { return output_; }  // all read so far
  void write_line(const std::string &line);
  void end_input();
  // Sends sig (0: none) and waits for the end; the exit status, or -1 when
  // a signal ended it or it was killed after `limit`.
  int stop(int sig, std::chrono::milliseconds limit = std::chrono::seconds(10));
  std::string errors() const;  // what it wrote on standard error

 private:
  pid_t pid_ = -1;
  int out_fd_ = -1, err_fd_ = -1, in_fd_ = -1;
  std::string output_, pending_;
  std::vector<std::string> lines_;
};

// The port a simulator tells it serves on (127.0.0.1:PORT); it throws
// std::runtime_error if not in 5 s.
inline std::uint16_t started(RunningProgram &sim) {
  if (!sim.wait_for_line([](const std::string &l) { return l.find("127.0.0.1:") != l.npos; }, std::chrono::seconds(5)))
    throw std::runtime_error("the simulator did not say where it serves within 5 s");
  return static_cast<std::uint16_t>(std::stoi(sim.lines().back().substr(sim.lines().back().rfind(':') + 1)));
}

struct Finished {
  int exit_status = -1;
  std::string out, err;
};

// Runs program with args to its end (at most `limit`), its standard input
// at its end from the start.
Finished run_program(const std::string &program, const std::vector<std::string> &args,
                     std::chrono::milliseconds limit = std::chrono::seconds(15));

}  // namespace vekx_test

#endif

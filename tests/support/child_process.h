// Runs a program as a child process with the test's environment and
// collects its output, with bounded waits throughout.
#ifndef VEKX_TEST_CHILD_PROCESS_H
#define VEKX_TEST_CHILD_PROCESS_H

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace vekx_test {

struct Finished {
  int exit_status = -1;  // -1: killed after the time ran out, or by a signal
  std::string out;
  std::string err;
};

// Runs program with args to its end (at most `limit`); standard input is
// /dev/null.
Finished run_program(const std::string &program, const std::vector<std::string> &args,
                     std::chrono::milliseconds limit = std::chrono::seconds(15));

// A child that keeps running (vekx watch, vekxsim): its standard output is
// read line by line as it comes, its standard error goes to the test's. Its
// standard input is /dev/null, or with input_pipe a pipe that stays open
// until the child ends.
class RunningProgram {
 public:
  RunningProgram(const std::string &program, const std::vector<std::string> &args, bool input_pipe = false);
  ~RunningProgram();
  RunningProgram(const RunningProgram &) = delete;
  RunningProgram &operator=(const RunningProgram &) = delete;

  // Reads lines until one satisfies wanted; false when `limit` ran out first.
  // Every line read stays in lines().
  bool wait_for_line(const std::function<bool(const std::string &)> &wanted, std::chrono::milliseconds limit);
  const std::vector<std::string> &lines() const { return lines_; }
  // One line to the child's standard input (input_pipe only).
  void write_line(const std::string &line);
  // Sends sig and waits for the end; returns the exit status (-1 if none).
  int stop(int sig, std::chrono::milliseconds limit = std::chrono::seconds(10));

 private:
  pid_t pid_ = -1;
  int out_fd_ = -1, err_fd_ = -1, in_fd_ = -1;
  std::string pending_;
  std::vector<std::string> lines_;
  friend Finished run_program(const std::string &, const std::vector<std::string> &, std::chrono::milliseconds);
};

}  // namespace vekx_test

#endif

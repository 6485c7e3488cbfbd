#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <thread>

namespace vekx_test {

using Clock = std::chrono::steady_clock;

RunningProgram::RunningProgram(const std::string &program, const std::vector<std::string> &args) {
  int out[2], in[2];
  err_fd_ = memfd_create("stderr", MFD_CLOEXEC);
  if (pipe2(out, O_CLOEXEC) != 0 || pipe2(in, O_CLOEXEC) != 0 || err_fd_ < 0)
    throw std::runtime_error("cannot make the child's pipes");
  std::vector<char *> argv{const_cast<char *>(program.c_str())};
  for (const auto &a : args) argv.push_back(const_cast<char *>(a.c_str()));
  argv.push_back(nullptr);
  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    dup2(in[0], STDIN_FILENO);
    dup2(out[1], STDOUT_FILENO);
    dup2(err_fd_, STDERR_FILENO);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(out[1]);
  close(in[0]);
  out_fd_ = out[0];
  in_fd_ = in[1];
}

RunningProgram::~RunningProgram() {
  if (pid_ > 0) stop(SIGKILL);
  for (int fd : {out_fd_, err_fd_, in_fd_})
    if (fd >= 0) close(fd);
}

bool RunningProgram::wait_for_line(const std::function<bool(const std::string &)> &wanted,
                                   std::chrono::milliseconds limit) {
  const auto deadline = Clock::now() + limit;
  for (char chunk[4096];;) {
    for (std::size_t newline; (newline = pending_.find('\n')) != std::string::npos;) {
      lines_.push_back(pending_.substr(0, newline));
      pending_.erase(0, newline + 1);
      if (wanted(lines_.back())) return true;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    pollfd p{out_fd_, POLLIN, 0};
    if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0) return false;
    const ssize_t n = read(out_fd_, chunk, sizeof chunk);
    if (n <= 0) return false;
    pending_.append(chunk, static_cast<std::size_t>(n));
    output_.append(chunk, static_cast<std::size_t>(n));
  }
}

void RunningProgram::write_line(const std::string &line) {
  const std::string text = line + "\n";
  if (write(in_fd_, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
    throw std::runtime_error("cannot write to the program's standard input");
}

void RunningProgram::end_input() {
  close(in_fd_);
  in_fd_ = -1;
}

int RunningProgram::stop(int sig, std::chrono::milliseconds limit) {
  if (pid_ <= 0) return -1;
  if (sig != 0) kill(pid_, sig);
  const auto deadline = Clock::now() + limit;
  int status = 0;
  bool killed = false;
  while (waitpid(pid_, &status, WNOHANG) == 0) {
    if (Clock::now() > deadline && !killed) killed = kill(pid_, SIGKILL) == 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  pid_ = -1;
  return !killed && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string RunningProgram::errors() const {
  std::string text;
  char chunk[4096];
  for (ssize_t n; (n = pread(err_fd_, chunk, sizeof chunk, static_cast<off_t>(text.size()))) > 0;)
    text.append(chunk, static_cast<std::size_t>(n));
  return text;
}

Finished run_program(const std::string &program, const std::vector<std::string> &args,
                     std::chrono::milliseconds limit) {
  const auto deadline = Clock::now() + limit;
  RunningProgram child(program, args);
  child.end_input();
  child.wait_for_line([](const std::string &) { return false; }, limit);  // to the end of the output
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  const int status = child.stop(0, left);
  return {status, child.output(), child.errors()};
}

}  // namespace vekx_test

#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <thread>

namespace vekx_test {

namespace {

using Clock = std::chrono::steady_clock;

int remaining_ms(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left < 0 ? 0 : static_cast<int>(left);
}

int wait_exit(pid_t pid, Clock::time_point deadline) {
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (Clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Reads what is there into text; false at the end of the stream.
bool read_some(int fd, std::string &text) {
  char chunk[4096];
  const ssize_t n = read(fd, chunk, sizeof chunk);
  if (n > 0) text.append(chunk, static_cast<std::size_t>(n));
  return n > 0;
}

}  // namespace

RunningProgram::RunningProgram(const std::string &program, const std::vector<std::string> &args, bool input_pipe) {
  int out[2], err[2], in[2] = {-1, -1};
  if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0 || (input_pipe && pipe2(in, O_CLOEXEC) != 0))
    throw std::runtime_error("pipe failed");
  std::vector<char *> argv{const_cast<char *>(program.c_str())};
  for (const auto &a : args) argv.push_back(const_cast<char *>(a.c_str()));
  argv.push_back(nullptr);
  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    dup2(out[1], STDOUT_FILENO);
    dup2(err[1], STDERR_FILENO);
    dup2(input_pipe ? in[0] : open("/dev/null", O_RDONLY), STDIN_FILENO);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(out[1]);
  close(err[1]);
  if (input_pipe) close(in[0]);
  out_fd_ = out[0];
  err_fd_ = err[0];
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
  for (;;) {
    for (std::size_t newline; (newline = pending_.find('\n')) != std::string::npos;) {
      lines_.push_back(pending_.substr(0, newline));
      pending_.erase(0, newline + 1);
      if (wanted(lines_.back())) return true;
    }
    pollfd p{out_fd_, POLLIN, 0};
    if (poll(&p, 1, remaining_ms(deadline)) <= 0 || !read_some(out_fd_, pending_)) return false;
  }
}

void RunningProgram::write_line(const std::string &line) {
  const std::string text = line + "\n";
  if (in_fd_ < 0 || write(in_fd_, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
    throw std::runtime_error("cannot write to the program's standard input");
}

int RunningProgram::stop(int sig, std::chrono::milliseconds limit) {
  if (pid_ <= 0) return -1;
  kill(pid_, sig);
  const int status = wait_exit(pid_, Clock::now() + limit);
  pid_ = -1;
  return status;
}

Finished run_program(const std::string &program, const std::vector<std::string> &args,
                     std::chrono::milliseconds limit) {
  RunningProgram child(program, args);
  Finished f;
  const auto deadline = Clock::now() + limit;
  pollfd fds[2] = {{child.out_fd_, POLLIN, 0}, {child.err_fd_, POLLIN, 0}};
  for (int open = 2; open > 0 && poll(fds, 2, remaining_ms(deadline)) > 0;) {
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      if (!read_some(fds[i].fd, i == 0 ? f.out : f.err)) {
        fds[i].fd = -1;
        --open;
      }
    }
  }
  f.exit_status = wait_exit(child.pid_, deadline);
  child.pid_ = -1;
  return f;
}

}  // namespace vekx_test

#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <thread>

namespace vekx_test {

namespace {

using Clock = std::chrono::steady_clock;

// in_fd -1: standard input is /dev/null.
pid_t spawn(const std::string &program, const std::vector<std::string> &args, int out_fd, int err_fd, int in_fd) {
  std::vector<char *> argv;
  argv.push_back(const_cast<char *>(program.c_str()));
  for (const auto &a : args) argv.push_back(const_cast<char *>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    dup2(out_fd, STDOUT_FILENO);
    dup2(err_fd, STDERR_FILENO);
    dup2(in_fd >= 0 ? in_fd : open("/dev/null", O_RDONLY), STDIN_FILENO);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  return pid;
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

int remaining_ms(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left < 0 ? 0 : static_cast<int>(left);
}

}  // namespace

Finished run_program(const std::string &program, const std::vector<std::string> &args,
                     std::chrono::milliseconds limit) {
  int out_pipe[2], err_pipe[2];
  if (pipe(out_pipe) != 0 || pipe(err_pipe) != 0) throw std::runtime_error("pipe failed");
  pid_t pid = spawn(program, args, out_pipe[1], err_pipe[1], -1);
  close(out_pipe[1]);
  close(err_pipe[1]);

  Finished f;
  const auto deadline = Clock::now() + limit;
  pollfd fds[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
  int open_count = 2;
  while (open_count > 0 && Clock::now() < deadline) {
    if (poll(fds, 2, remaining_ms(deadline)) <= 0) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char chunk[4096];
      ssize_t n = read(fds[i].fd, chunk, sizeof chunk);
      if (n <= 0) {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open_count;
      } else {
        (i == 0 ? f.out : f.err).append(chunk, static_cast<std::size_t>(n));
      }
    }
  }
  for (auto &p : fds)
    if (p.fd >= 0) close(p.fd);
  f.exit_status = wait_exit(pid, deadline);
  return f;
}

RunningProgram::RunningProgram(const std::string &program, const std::vector<std::string> &args, bool input_pipe) {
  int out_pipe[2], in_pipe[2] = {-1, -1};
  if (pipe2(out_pipe, O_CLOEXEC) != 0 || (input_pipe && pipe2(in_pipe, O_CLOEXEC) != 0))
    throw std::runtime_error("pipe failed");
  pid_ = spawn(program, args, out_pipe[1], STDERR_FILENO, in_pipe[0]);
  close(out_pipe[1]);
  if (input_pipe) close(in_pipe[0]);
  out_fd_ = out_pipe[0];
  in_fd_ = in_pipe[1];
}

RunningProgram::~RunningProgram() {
  if (pid_ > 0) stop(SIGKILL);
  for (int fd : {out_fd_, in_fd_})
    if (fd >= 0) close(fd);
}

void RunningProgram::write_line(const std::string &line) {
  const std::string text = line + "\n";
  if (in_fd_ < 0 || write(in_fd_, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
    throw std::runtime_error("cannot write to the program's standard input");
}

bool RunningProgram::wait_for_line(const std::function<bool(const std::string &)> &wanted,
                                   std::chrono::milliseconds limit) {
  const auto deadline = Clock::now() + limit;
  for (;;) {
    std::size_t newline;
    while ((newline = pending_.find('\n')) != std::string::npos) {
      std::string line = pending_.substr(0, newline);
      pending_.erase(0, newline + 1);
      lines_.push_back(line);
      if (wanted(line)) return true;
    }
    pollfd p{out_fd_, POLLIN, 0};
    if (Clock::now() >= deadline || poll(&p, 1, remaining_ms(deadline)) <= 0) return false;
    char chunk[4096];
    ssize_t n = read(out_fd_, chunk, sizeof chunk);
    if (n <= 0) return false;
    pending_.append(chunk, static_cast<std::size_t>(n));
  }
}

int RunningProgram::stop(int sig, std::chrono::milliseconds limit) {
  if (pid_ <= 0) return -1;
  kill(pid_, sig);
  int status = wait_exit(pid_, Clock::now() + limit);
  pid_ = -1;
  return status;
}

}  // namespace vekx_test

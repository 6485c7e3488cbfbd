// vekxsim: a simulated VekX terminal node running the KTRV application
// program, controlled by commands on standard input and from a script.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "control_json.h"
#include "control_text.h"
#include "replay_program.h"
#include "terminal.h"

namespace {

const char usage[] = R"(usage: vekxsim [options]
  --listen ADDR       IPv4 address to serve on (default 127.0.0.1)
  --port N            UDP port to serve on (default 1701; 0 lets the system pick)
  --node N            node number 1..16 whose fields are served (default 1); with
                      --replay, the node of the capture to replay
  --weight W          weight on the scale at start (default 0)
  --delay MS          time the command mailbox reads 255 before a command is taken (default 200)
  --no-power-up       do not post event 54 at start
  --field NAME[=TEXT] create a field besides the KTRV program's own (repeatable)
  --lenient           a write creates a field the terminal does not have (by default it
                      gets status 3, no such field)
  --script FILE       run the control commands of FILE (with "sleep MS" lines) after start
  --log FILE          write the traffic log to FILE instead of standard output
  --quiet             no traffic log lines (notes of the KTRV model still appear)
  --no-stdin          never read standard input
  --control FORM      how standard input speaks: text (default), or json for programs:
                      one request object a line in, one answer object a line out
  --replay FILE       answer as the terminal in FILE did: a pcap or pcapng capture or a
                      traffic log of --log; the KTRV model and standard input are unused
  --terminal ADDR     with --replay: the terminal address to replay when FILE holds several
  --speed X           with --replay: replay time runs X times as fast, 0.001 to 1000000
                      (default 1)
  --loop              with --replay: start over at the capture's end
  --summary           with --replay: describe FILE instead of serving it
  --help              this text
Control commands are read from standard input line by line while it runs in
the foreground (type "help"); end of input does not stop it (but with
--control json); "quit", Ctrl-C or SIGTERM do.
)";

// A line of standard input longer than any command is dropped, not kept.
constexpr std::size_t longest_line = 4096;
// How often a waiting thread looks again at what it waits for.
constexpr int wait_tick_ms = 100;

struct Options {
  vekxsim::TerminalOptions terminal;
  std::optional<std::string> script;
  std::optional<std::string> log_file;
  bool quiet = false;
  bool read_stdin = true;
  bool json = false;
  vekxsim::replay::ReplayOptions replay;
};

// Parses the command line; prints the problem and returns nothing on error.
std::optional<Options> parse(int argc, char **argv, bool &help) {
  using namespace vekxsim::control_text;
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> std::optional<std::string> {
      if (i + 1 >= argc) return std::nullopt;
      return std::string(argv[++i]);
    };
    std::optional<std::string> v;
    if (arg == "--help" || arg == "-h") {
      help = true;
      return o;
    } else if (arg == "--no-power-up") {
      o.terminal.power_up = false;
    } else if (arg == "--quiet") {
      o.quiet = true;
    } else if (arg == "--lenient") {
      o.terminal.lenient = true;
    } else if (arg == "--no-stdin") {
      o.read_stdin = false;
    } else if (arg == "--control" && (v = value()) && (*v == "text" || *v == "json")) {
      o.json = *v == "json";
    } else if (arg == "--listen" && (v = value())) {
      o.terminal.listen_address = *v;
    } else if (arg == "--port" && (v = value()) && whole_number(*v, 0, 65535)) {
      o.terminal.port = static_cast<std::uint16_t>(*whole_number(*v, 0, 65535));
    } else if (arg == "--node" && (v = value()) && whole_number(*v, 1, vekxsim::limits::highest_node)) {
      o.terminal.node = static_cast<int>(*whole_number(*v, 1, vekxsim::limits::highest_node));
      o.replay.choice.node = o.terminal.node;
    } else if (arg == "--weight" && (v = value()) && decimal_number(*v)) {
      o.terminal.weight = *decimal_number(*v);
    } else if (arg == "--delay" && (v = value()) && whole_number(*v, 0, vekxsim::longest_pause_ms)) {
      o.terminal.command_delay = std::chrono::milliseconds(*whole_number(*v, 0, vekxsim::longest_pause_ms));
    } else if (arg == "--field" && (v = value())) {
      o.terminal.extra_fields.push_back(*v);
    } else if (arg == "--script" && (v = value())) {
      o.script = *v;
    } else if (arg == "--log" && (v = value())) {
      o.log_file = *v;
    } else if (arg == "--replay" && (v = value())) {
      o.replay.file = *v;
    } else if (arg == "--terminal" && (v = value())) {
      o.replay.choice.terminal = *v;
    } else if (arg == "--speed" && (v = value()) && decimal_number(*v) &&
               *decimal_number(*v) >= vekxsim::replay::slowest_speed &&
               *decimal_number(*v) <= vekxsim::replay::fastest_speed) {
      o.replay.speed = *decimal_number(*v);
    } else if (arg == "--loop") {
      o.replay.loop = true;
    } else if (arg == "--summary") {
      o.replay.summary = true;
    } else {
      std::fprintf(stderr, "vekxsim: bad or incomplete option %s\n%s", arg.c_str(), usage);
      return std::nullopt;
    }
  }
  if (o.json && o.replay.file) {
    std::fprintf(stderr, "vekxsim: --control json drives the simulated terminal; --replay reads no commands\n%s",
                 usage);
    return std::nullopt;
  }
  if (const std::string problem = vekxsim::replay::misuse(o.replay); !problem.empty()) {
    std::fprintf(stderr, "vekxsim: %s\n%s", problem.c_str(), usage);
    return std::nullopt;
  }
  return o;
}

// Whether standard input may be read now: always when it is not a terminal
// (a pipe, a file), but a terminal only while this program is its foreground
// job; reading it from the background would stop the whole job.
bool stdin_is_ours() {
  const pid_t foreground = ::tcgetpgrp(STDIN_FILENO);
  return foreground < 0 || foreground == ::getpgrp();
}

// Runs control lines from standard input and the script. In JSON mode only
// the answers to standard input's requests go to standard output; the
// script's lines, replies and every note go to standard error.
class Runner {
 public:
  Runner(vekxsim::Terminal &terminal, bool json) : terminal_(terminal), json_(json) {
    if (::pipe2(stop_pipe_, O_CLOEXEC) != 0) stop_pipe_[0] = stop_pipe_[1] = -1;
  }
  ~Runner() {
    for (int fd : stop_pipe_)
      if (fd >= 0) ::close(fd);
  }
  Runner(const Runner &) = delete;
  Runner &operator=(const Runner &) = delete;

  void say(const std::string &text) {
    if (text.empty()) return;
    std::lock_guard lock(out_mutex_);
    std::cout << text << std::endl;
  }
  // A line for people: the traffic log, the model's notes, the script.
  void note(const std::string &text) {
    if (!json_) return say(text);
    if (text.empty()) return;
    std::lock_guard lock(out_mutex_);
    std::cerr << text << std::endl;
  }

  // A line of standard input.
  void run_line(const std::string &line) {
    say(json_ ? vekxsim::json_answer(terminal_, line) : terminal_.control(line));
    if (terminal_.quit_requested()) request_stop();
  }

  // The answer to a line of standard input that is not run.
  void refuse_line(const std::string &why) {
    const vekxsim::ControlReply refused = vekxsim::ControlReply::refused(why);
    say(json_ ? vekxsim::json_form(refused) : vekxsim::text_form(refused));
  }

  // Ends the script's sleep, the reading of standard input and the wait for
  // signals at once.
  void request_stop() {
    if (stopping_.exchange(true)) return;
    terminal_.interrupt();
    const char wake = 1;
    [[maybe_unused]] const auto ignored = ::write(stop_pipe_[1], &wake, 1);
  }
  bool stopping() const { return stopping_.load(); }

  void run_script(const std::string &path) {
    std::ifstream in(path);
    if (!in) {
      note("error: cannot read script " + path);
      return;
    }
    std::string line;
    while (!stopping() && std::getline(in, line)) {
      if (!vekxsim::control_text::trim(line).empty() && line[0] != '#') note("script> " + line);
      note(terminal_.control(line));
      if (terminal_.quit_requested()) request_stop();
    }
    if (!stopping()) note("script " + path + " done");
  }

  // Reads standard input while it is ours; end of input ends the reading,
  // and the program only in JSON mode.
  void read_stdin() {
    std::string pending;
    bool overlong = false;  // pending is the tail of a line too long to run
    char buffer[512];
    while (!stopping()) {
      const bool ours = stdin_is_ours();
      pollfd fds[2] = {{ours ? STDIN_FILENO : -1, POLLIN, 0}, {stop_pipe_[0], POLLIN, 0}};
      if (::poll(fds, 2, wait_tick_ms) <= 0) continue;
      if (fds[0].revents & POLLNVAL) return;  // no standard input at all
      if (!(fds[0].revents & (POLLIN | POLLHUP))) continue;
      const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
      if (n < 0 && (errno == EINTR || errno == EIO || errno == EAGAIN)) continue;  // EIO: put in the background
      if (n <= 0) {
        // The program that drives it in JSON has gone: nothing is left to
        // answer, and the simulator would otherwise hold its port for ever.
        if (json_) request_stop();
        return;
      }
      pending.append(buffer, static_cast<std::size_t>(n));
      for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
        if (overlong)
          refuse_line("a line longer than " + std::to_string(longest_line) + " bytes was ignored");
        else
          run_line(pending.substr(0, end));
        overlong = false;
        pending.erase(0, end + 1);
        if (stopping()) return;
      }
      if (pending.size() > longest_line) {
        pending.clear();
        overlong = true;
      }
    }
  }

 private:
  vekxsim::Terminal &terminal_;
  const bool json_;
  std::mutex out_mutex_;
  std::atomic<bool> stopping_{false};
  int stop_pipe_[2] = {-1, -1};
};

}  // namespace

int main(int argc, char **argv) {
  bool help = false;
  const auto options = parse(argc, argv, help);
  if (help) {
    std::fputs(usage, stdout);
    return 0;
  }
  if (!options) return 2;

  // SIGINT and SIGTERM are taken by sigtimedwait on the main thread only. A
  // read of the terminal from the background fails instead of stopping the
  // program.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  signal(SIGPIPE, SIG_IGN);
  signal(SIGTTIN, SIG_IGN);

  std::ofstream log_file;
  if (options->log_file) {
    log_file.open(*options->log_file, std::ios::app);
    if (!log_file) {
      std::fprintf(stderr, "vekxsim: cannot open log file %s\n", options->log_file->c_str());
      return 2;
    }
  }

  if (options->replay.file) {
    std::mutex out_mutex;
    std::function<void(const std::string &)> traffic;
    if (!options->quiet)
      traffic = [&](const std::string &line) {
        std::lock_guard lock(out_mutex);
        (log_file.is_open() ? static_cast<std::ostream &>(log_file) : std::cout) << line << std::endl;
      };
    return vekxsim::replay::run_replay(options->replay, options->terminal.listen_address, options->terminal.port,
                                       traffic);
  }

  std::unique_ptr<vekxsim::Terminal> terminal;
  try {
    terminal = std::make_unique<vekxsim::Terminal>(options->terminal);
  } catch (const std::exception &e) {
    std::fprintf(stderr, "vekxsim: %s\n", e.what());
    return 1;
  }
  Runner runner(*terminal, options->json);
  std::mutex log_mutex;
  terminal->set_log([&](const std::string &line) {
    if (log_file.is_open()) {
      std::lock_guard lock(log_mutex);
      log_file << line << std::endl;
    } else {
      runner.note(line);
    }
  });
  if (options->quiet) terminal->control("log off");

  if (options->json)
    runner.say(vekxsim::json_serving_line(options->terminal.listen_address, terminal->port(), options->terminal.node));
  else
    runner.say("vekxsim: node " + std::to_string(options->terminal.node) + " serving " +
               options->terminal.listen_address + ":" + std::to_string(terminal->port()) +
               (options->read_stdin ? " (type help for commands)" : ""));

  std::thread script;
  if (options->script) script = std::thread([&] { runner.run_script(*options->script); });
  std::thread input;
  if (options->read_stdin) input = std::thread([&] { runner.read_stdin(); });

  const timespec tick{0, wait_tick_ms * 1000L * 1000L};
  while (!runner.stopping()) {
    const int sig = sigtimedwait(&signals, nullptr, &tick);
    if (sig == SIGINT || sig == SIGTERM) {
      runner.note(std::string("vekxsim: ") + (sig == SIGINT ? "interrupted" : "terminated") + ", stopping");
      runner.request_stop();
    }
  }
  if (script.joinable()) script.join();
  if (input.joinable()) input.join();
  terminal.reset();
  return 0;
}

// vekxsim: a simulated VekX terminal node running the KTRV application
// program, controlled by commands on standard input and from a script.
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>

#include "control_text.h"
#include "terminal.h"

namespace {

const char usage[] = R"(usage: vekxsim [options]
  --listen ADDR   IPv4 address to serve on (default 127.0.0.1)
  --port N        UDP port to serve on (default 1701; 0 lets the system pick)
  --node N        node number 1..16 whose fields are served (default 1)
  --weight W      weight on the scale at start (default 0)
  --delay MS      time the command mailbox reads 255 before a command is taken (default 200)
  --no-power-up   do not post event 54 at start
  --script FILE   run the control commands of FILE (with "sleep MS" lines) after start
  --log FILE      write the traffic log to FILE instead of standard output
  --quiet         no traffic log lines (notes of the KTRV model still appear)
  --help          this text
Control commands are read from standard input line by line while it runs
(type "help"); end of input does not stop it; "quit", Ctrl-C or SIGTERM do.
)";

struct Options {
  vekxsim::TerminalOptions terminal;
  std::optional<std::string> script;
  std::optional<std::string> log_file;
  bool quiet = false;
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
    } else if (arg == "--listen" && (v = value())) {
      o.terminal.listen_address = *v;
    } else if (arg == "--port" && (v = value()) && whole_number(*v, 0, 65535)) {
      o.terminal.port = static_cast<std::uint16_t>(*whole_number(*v, 0, 65535));
    } else if (arg == "--node" && (v = value()) && whole_number(*v, 1, 16)) {
      o.terminal.node = static_cast<int>(*whole_number(*v, 1, 16));
    } else if (arg == "--weight" && (v = value()) && decimal_number(*v)) {
      o.terminal.weight = *decimal_number(*v);
    } else if (arg == "--delay" && (v = value()) && whole_number(*v, 0, 600000)) {
      o.terminal.command_delay = std::chrono::milliseconds(*whole_number(*v, 0, 600000));
    } else if (arg == "--script" && (v = value())) {
      o.script = *v;
    } else if (arg == "--log" && (v = value())) {
      o.log_file = *v;
    } else {
      std::fprintf(stderr, "vekxsim: bad or incomplete option %s\n%s", arg.c_str(), usage);
      return std::nullopt;
    }
  }
  return o;
}

class Runner {
 public:
  Runner(vekxsim::Terminal &terminal) : terminal_(terminal) {}

  void say(const std::string &text) {
    if (text.empty()) return;
    std::lock_guard lock(out_mutex_);
    std::cout << text << std::endl;
  }

  // One command line from standard input or the script. "sleep" is handled
  // here so that quitting interrupts it.
  void run_line(const std::string &line) {
    const auto split = vekxsim::control_text::first_word(line);
    if (split.word == "sleep") {
      auto ms = vekxsim::control_text::whole_number(split.rest, 0, 600000);
      if (!ms) {
        say("error: usage: sleep MS (0..600000)");
        return;
      }
      std::unique_lock lock(stop_mutex_);
      stop_changed_.wait_for(lock, std::chrono::milliseconds(*ms), [&] { return stopping_.load(); });
      return;
    }
    say(terminal_.control(line));
    if (terminal_.quit_requested()) request_stop();
  }

  void request_stop() {
    {
      std::lock_guard lock(stop_mutex_);
      stopping_ = true;
    }
    stop_changed_.notify_all();
  }
  bool stopping() const { return stopping_.load(); }

  void run_script(const std::string &path) {
    std::ifstream in(path);
    if (!in) {
      say("error: cannot read script " + path);
      return;
    }
    std::string line;
    while (!stopping() && std::getline(in, line)) {
      if (!vekxsim::control_text::trim(line).empty() && line[0] != '#') say("script> " + line);
      run_line(line);
    }
    if (!stopping()) say("script " + path + " done");
  }

  // Reads standard input with a poll so that it notices stopping; end of
  // input ends the reading, not the program.
  void read_stdin() {
    std::string pending;
    char buffer[512];
    while (!stopping()) {
      pollfd fd{STDIN_FILENO, POLLIN, 0};
      if (::poll(&fd, 1, 100) <= 0) continue;
      const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
      if (n <= 0) return;
      pending.append(buffer, static_cast<std::size_t>(n));
      for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
        run_line(pending.substr(0, end));
        pending.erase(0, end + 1);
        if (stopping()) return;
      }
      // A line without end longer than any command is dropped, not kept.
      if (pending.size() > 4096) pending.clear();
    }
  }

 private:
  vekxsim::Terminal &terminal_;
  std::mutex out_mutex_;
  std::atomic<bool> stopping_{false};
  std::mutex stop_mutex_;
  std::condition_variable stop_changed_;
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

  // SIGINT and SIGTERM are taken by sigtimedwait on the main thread only.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  std::ofstream log_file;
  if (options->log_file) {
    log_file.open(*options->log_file, std::ios::app);
    if (!log_file) {
      std::fprintf(stderr, "vekxsim: cannot open log file %s\n", options->log_file->c_str());
      return 2;
    }
  }

  std::unique_ptr<vekxsim::Terminal> terminal;
  try {
    terminal = std::make_unique<vekxsim::Terminal>(options->terminal);
  } catch (const std::exception &e) {
    std::fprintf(stderr, "vekxsim: %s\n", e.what());
    return 1;
  }
  Runner runner(*terminal);
  std::mutex log_mutex;
  terminal->set_log([&](const std::string &line) {
    if (log_file.is_open()) {
      std::lock_guard lock(log_mutex);
      log_file << line << std::endl;
    } else {
      runner.say(line);
    }
  });
  if (options->quiet) terminal->control("log off");

  runner.say("vekxsim: node " + std::to_string(options->terminal.node) + " serving " +
             options->terminal.listen_address + ":" + std::to_string(terminal->port()) + " (type help for commands)");

  std::thread script;
  if (options->script) script = std::thread([&] { runner.run_script(*options->script); });
  std::thread input([&] { runner.read_stdin(); });

  const timespec tick{0, 100 * 1000 * 1000};
  while (!runner.stopping()) {
    const int sig = sigtimedwait(&signals, nullptr, &tick);
    if (sig == SIGINT || sig == SIGTERM) {
      runner.say(std::string("vekxsim: ") + (sig == SIGINT ? "interrupted" : "terminated") + ", stopping");
      runner.request_stop();
    }
  }
  if (script.joinable()) script.join();
  input.join();
  terminal.reset();
  return 0;
}

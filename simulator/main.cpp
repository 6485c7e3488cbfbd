// vekxsim: a simulated VekX terminal node running the KTRV application
// program, controlled by commands on standard input and from a script.
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "console_platform.h"
#include "console_text.h"
#include "control_json.h"
#include "control_language.h"
#include "control_text.h"
#include "program_options.h"
#include "refusal_text.h"
#include "replay_commands.h"
#include "replay_door.h"
#include "stop_request.h"
#include "terminal.h"
#include "traffic_line.h"
#include "vekxapi.h"
#include "terminal_door.h"
#include "web_panel.h"

namespace {

// A line of standard input longer than any command is dropped, not kept.
constexpr std::size_t longest_line = 4096;
// How often a waiting thread looks again at what it waits for.
constexpr int wait_tick_ms = 100;

// What the control lines run against: the simulated terminal, or a replay.
struct Commands {
  std::function<std::string(const std::string &)> text;  // a line of the control language: its reply's text
  std::function<std::string(const std::string &)> json;  // a JSON request line: its answer
  std::function<bool()> quit_requested;
  std::function<void()> interrupt;
};

Commands terminal_commands(vekxsim::Terminal &terminal) {
  return {[&terminal](const std::string &line) { return vekxsim::control_answer(terminal, line); },
          [&terminal](const std::string &line) { return vekxsim::json_answer(terminal, line); },
          [&terminal] { return terminal.quit_requested(); }, [&terminal] { terminal.interrupt(); }};
}

// Runs control lines from standard input and the script. In JSON mode only
// the answers to standard input's requests go to standard output; the
// script's lines, replies and every note go to standard error.
class Runner {
 public:
  Runner(Commands commands, bool json) : commands_(std::move(commands)), json_(json) {}
  // A runner made before what it runs against, which then outlives it;
  // use() gives it the commands before any line is run.
  explicit Runner(bool json) : Runner({}, json) {}
  void use(Commands commands) { commands_ = std::move(commands); }
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
    say(json_ ? commands_.json(line) : commands_.text(line));
    if (commands_.quit_requested()) request_stop();
  }

  // The answer to a line of standard input that is not run.
  void refuse_line(const std::string &why) {
    const vekxsim::ControlReply refused = vekxsim::ControlReply::refused(why);
    say(json_ ? vekxsim::json_line(vekxsim::json_form(refused)) : vekxsim::text_form(refused));
  }

  // Ends the script's sleep, the reading of standard input and the wait for
  // signals at once.
  void request_stop() {
    if (stopping_.exchange(true)) return;
    commands_.interrupt();
    input_.wake();
  }
  bool stopping() const { return stopping_.load(); }

  void run_script(const std::string &path, const std::vector<std::string> &lines) {
    for (const std::string &line : lines) {
      if (stopping()) return;
      if (!vekxsim::control_text::trim(line).empty() && line[0] != '#') note("script> " + line);
      note(commands_.text(line));
      if (commands_.quit_requested()) request_stop();
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
      const auto waited = input_.wait(wait_tick_ms);
      if (waited == vekxsim::console::StandardInput::Wait::gone) return;
      if (waited != vekxsim::console::StandardInput::Wait::ready) continue;
      const long n = input_.read(buffer, sizeof buffer);
      if (n < 0) continue;
      if (n == 0) {
        // The program that drives it in JSON has gone: nothing is left to
        // answer, and the simulator would otherwise hold its port for ever.
        if (json_) request_stop();
        return;
      }
      pending.append(buffer, static_cast<std::size_t>(n));
      for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
        if (overlong)
          refuse_line("a line longer than " + std::to_string(longest_line) +
                      " bytes was ignored; send each command on a line of at most that many bytes");
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
  Commands commands_;
  const bool json_;
  std::mutex out_mutex_;
  std::atomic<bool> stopping_{false};
  vekxsim::console::StandardInput input_;
};

// The lines of a script, read whole at start so that a path that cannot be
// read ends the program before it serves; the reason in why otherwise.
std::optional<std::vector<std::string>> script_lines(const std::string &path, std::string &why) {
  errno = 0;
  std::ifstream in(vekx_common::path_named(path));
  std::vector<std::string> lines;
  for (std::string line; in && std::getline(in, line);) lines.push_back(line);
  if (!in.eof()) {
    why = std::strerror(errno != 0 ? errno : EIO);
    return std::nullopt;
  }
  return lines;
}

int refuse(const std::string &why) {
  std::fputs(vekx_common::refusal_lines("vekxsim", why).c_str(), stderr);
  return 2;
}

// The terminal the options describe; nothing, with the reason on standard
// error and the exit status in status, when it cannot start.
std::unique_ptr<vekxsim::Terminal> start_terminal(const vekxsim::TerminalOptions &options, int &status) {
  try {
    return std::make_unique<vekxsim::Terminal>(options);
  } catch (const std::invalid_argument &e) {
    status = refuse(e.what());
  } catch (const std::system_error &e) {
    const bool in_use = e.code().value() == VEKX_WSAEADDRINUSE;
    std::fprintf(stderr, "vekxsim: cannot serve on %s:%u: %s; %s\n", options.listen_address.c_str(),
                 static_cast<unsigned>(options.port), e.code().message().c_str(),
                 in_use ? "another program holds the port: choose another with --port (and point the library at "
                          "it with VEKX_TERMINAL_PORT)"
                        : "give --listen an address of this PC");
    status = 1;
  }
  return nullptr;
}

// Waits one tick for Ctrl+C or a request to end; the note that says so
// once one came, nothing otherwise.
std::optional<std::string> stop_note() {
  const vekx_common::StopRequest request = vekx_common::wait_stop_request(wait_tick_ms);
  if (request == vekx_common::StopRequest::none) return std::nullopt;
  return std::string("vekxsim: ") + (request == vekx_common::StopRequest::interrupt ? "interrupted" : "terminated") +
         ", stopping";
}

// Opens the traffic log of --log, if any; false with the reason on standard
// error when it cannot be opened.
bool open_log(const vekxsim::ProgramOptions &options, std::ofstream &log_file) {
  if (!options.log_file) return true;
  errno = 0;
  // Binary: the same bytes, lines ending in LF, on Linux and Windows.
  log_file.open(vekx_common::path_named(*options.log_file), std::ios::app | std::ios::binary);
  if (log_file) {
    log_file << vekxsim::session_line(std::chrono::system_clock::now()) << std::endl;
    return true;
  }
  std::fprintf(stderr, "vekxsim: cannot open log file %s: %s\n", options.log_file->c_str(),
               std::strerror(errno != 0 ? errno : EIO));
  return false;
}

// Where the panel listens and its token; nothing, with the exit status set,
// when the token cannot be read.
std::optional<vekxsim::web::Access> web_access(const vekxsim::ProgramOptions &options, int &status) {
  vekxsim::web::Access access = *options.web;
  if (options.web_token_file) {
    std::string why;
    access.token = vekxsim::web::read_token_file(*options.web_token_file, why);
    if (!access.token) {
      status = refuse("--web-token: " + why);
      return std::nullopt;
    }
  }
  return access;
}

// Starts the panel of what serves on udp_address and says where it is;
// nothing, with the exit status set, when it cannot listen.
std::unique_ptr<vekxsim::web::WebPanel> start_panel(vekxsim::web::PanelSubject subject, const std::string &udp_address,
                                                    const vekxsim::web::Access &access, int &status) {
  subject.address = udp_address;
  try {
    auto panel = std::make_unique<vekxsim::web::WebPanel>(std::move(subject), access);
    std::fprintf(stderr, "vekxsim: web panel at %s\n", panel->url().c_str());
    return panel;
  } catch (const std::runtime_error &e) {
    std::fprintf(stderr, "vekxsim: the web panel %s; choose another port with --web\n", e.what());
    status = 1;
    return nullptr;
  }
}

// Whether a person types the commands: standard input read, a terminal, and
// this program in its foreground.
bool typed_by_a_person(const vekxsim::ProgramOptions &options) {
  return options.read_stdin && vekxsim::console::stdin_is_terminal() && vekxsim::console::stdin_is_ours();
}

int serve_replay(const vekxsim::ProgramOptions &options, std::ofstream &log_file) {
  int status = 0;
  std::optional<vekxsim::web::Access> access;
  if (options.web && !(access = web_access(options, status))) return status;
  std::mutex out_mutex;
  std::function<void(const std::string &)> traffic;
  if (!options.quiet)
    traffic = [&](const std::string &line) {
      std::lock_guard lock(out_mutex);
      // Standard output carries only answers in JSON mode.
      (log_file.is_open() ? static_cast<std::ostream &>(log_file)
       : options.json     ? std::cerr
                          : std::cout)
          << line << std::endl;
    };
  const auto while_serving = [&](const vekxsim::replay::Serving &serving) {
    std::atomic<bool> quit{false};
    const vekxsim::RunCommand run = [&](const std::string &word, const vekxsim::ControlArguments &arguments) {
      bool quitting = false;
      vekxsim::ControlReply reply = vekxsim::replay_command(serving, word, arguments, quitting);
      if (quitting) quit = true;
      return reply;
    };
    // The panel refuses quit with every other command that is not status
    // or summary.
    std::unique_ptr<vekxsim::web::WebPanel> panel;
    if (access && !(panel = start_panel(vekxsim::web::replay_subject(serving, run), serving.address, *access, status)))
      return;
    if (!options.json) {
      // A typed command would go unanswered without a word.
      std::cout << vekxsim::replay::serving_line(serving)
                << (typed_by_a_person(options) ? " (it takes no typed commands: Ctrl+C stops it; with --control json "
                                                 "it answers status, summary and quit)"
                                               : "")
                << std::endl;
      std::optional<std::string> note;
      while (!note) note = stop_note();
      std::cout << *note << std::endl;
      return;
    }
    // Programs read where it serves from the first line, and drive it as
    // they drive the simulated terminal, until quit or the end of input.
    Runner runner({[](const std::string &) { return std::string(); },
                   [&run](const std::string &line) { return vekxsim::json_answer(run, line); },
                   [&quit] { return quit.load(); }, [] {}},
                  true);
    runner.say(vekxsim::json_serving_line(serving.address, serving.port, serving.history.node(),
                                          panel ? panel->url() : std::string()));
    runner.note(vekxsim::replay::serving_line(serving));
    std::thread input([&] { runner.read_stdin(); });
    while (!runner.stopping()) {
      if (const auto note = stop_note()) {
        runner.note(*note);
        runner.request_stop();
      }
    }
    input.join();
  };
  const int replayed = vekxsim::replay::run_replay(options.replay, options.terminal.listen_address,
                                                   options.terminal.port, traffic, while_serving);
  return status != 0 ? status : replayed;
}

int serve_terminal(const vekxsim::ProgramOptions &options, const std::vector<std::string> &script,
                   std::ofstream &log_file) {
  int status = 0;
  // The terminal's log sink uses these: made before it, they outlive its
  // UDP thread on every return.
  Runner runner(options.json);
  std::mutex log_mutex;
  std::unique_ptr<vekxsim::Terminal> terminal = start_terminal(options.terminal, status);
  if (!terminal) return status;
  runner.use(terminal_commands(*terminal));
  terminal->set_log([&](const std::string &line) {
    if (log_file.is_open()) {
      std::lock_guard lock(log_mutex);
      log_file << line << std::endl;
    } else {
      runner.note(line);
    }
  });
  if (options.quiet) terminal->set_traffic_log(false);
  std::unique_ptr<vekxsim::web::WebPanel> panel;
  if (options.web) {
    const auto access = web_access(options, status);
    if (!access) return status;
    panel = start_panel(vekxsim::web::terminal_subject(*terminal), options.terminal.listen_address, *access, status);
    if (!panel) return status;
  }

  // The prompt only where a person types the commands.
  const bool typed = typed_by_a_person(options);
  if (options.json) {
    runner.say(vekxsim::json_serving_line(options.terminal.listen_address, terminal->port(), options.terminal.node,
                                          panel ? panel->url() : std::string()));
  } else {
    runner.say("vekxsim: node " + std::to_string(options.terminal.node) + " serving " +
               options.terminal.listen_address + ":" + std::to_string(terminal->port()) +
               (typed ? " (type help for commands)" : ""));
  }

  std::thread script_thread;
  if (options.script) script_thread = std::thread([&] { runner.run_script(*options.script, script); });
  std::thread input;
  if (options.read_stdin) input = std::thread([&] { runner.read_stdin(); });

  while (!runner.stopping()) {
    if (const auto note = stop_note()) {
      runner.note(*note);
      runner.request_stop();
    }
  }
  if (script_thread.joinable()) script_thread.join();
  if (input.joinable()) input.join();
  panel.reset();
  terminal.reset();
  return 0;
}

}  // namespace

int main(int argc, char **argv) {
  vekx_common::console_shows_utf8();
  const vekxsim::ParsedOptions parsed = vekxsim::parse_program_options(vekx_common::program_arguments(argc, argv));
  if (!parsed.options) return refuse(parsed.error);
  const vekxsim::ProgramOptions &options = *parsed.options;
  if (options.quiet && options.log_file)
    return refuse("--quiet leaves out the traffic lines that --log " + *options.log_file +
                  " is for; give --log FILE alone to log to FILE, or --quiet alone for no traffic log");
  if (options.help) {
    std::fputs(vekxsim::usage_text().c_str(), stdout);
    return 0;
  }
  std::vector<std::string> script;
  if (options.script) {
    std::string why;
    const auto lines = script_lines(*options.script, why);
    if (!lines) {
      std::fprintf(stderr, "vekxsim: cannot read script %s: %s\n", options.script->c_str(), why.c_str());
      return 2;
    }
    script = *lines;
  }
  vekx_common::hold_stop_requests();
  std::ofstream log_file;
  if (!open_log(options, log_file)) return 2;
  return options.replay.file ? serve_replay(options, log_file) : serve_terminal(options, script, log_file);
}

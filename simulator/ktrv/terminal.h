// A simulated VekX terminal node running the KTRV application program: the
// shared-data service and the KTRV model together. The control language
// (simulator/control/) drives it from outside; the node knows nothing of
// it.
//
// In-process use (tests of the console and of the library):
//
//   vekxsim::Terminal terminal({.port = 0, .command_delay = std::chrono::milliseconds(0)});
//   setenv("VEKX_TERMINAL_PORT", std::to_string(terminal.port()).c_str(), 1);
//   vekxsim::control_answer(terminal, "weight 12.5");  // -> "weight 12.50" (control_language.h)
//   terminal.service().traffic().all();                 // every datagram in and out
//
// The terminal serves from construction until destruction. Every member may
// be called from any thread.
#ifndef VEKXSIM_TERMINAL_H
#define VEKXSIM_TERMINAL_H

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ktrv_model.h"
#include "shared_data_service.h"

namespace vekxsim {

// The longest pause a "sleep" or a delay may ask for, so that a typing slip
// cannot hang a script for hours.
inline constexpr long longest_pause_ms = 600000;

struct TerminalOptions {
  std::string listen_address = "127.0.0.1";
  std::uint16_t port = 0;                        // 0: the system picks one; see Terminal::port()
  int node = 1;                                  // node character of the served fields, 1..16
  double weight = 0.0;                           // weight on the scale at start (settled at once)
  std::chrono::milliseconds command_delay{200};  // command mailbox reads 255 this long
  bool power_up = true;                          // event 54 in the event mailbox at start
  bool lenient = false;                          // a write creates a field the terminal lacks
  // Fields beyond the KTRV program's own, created at start: "NAME" (empty)
  // or "NAME=TEXT"; NAME as in the control language.
  std::vector<std::string> extra_fields{};
};

class Terminal {
 public:
  // Binds the service (std::system_error when the address or port cannot be
  // bound; std::invalid_argument for a bad address, a node outside 1..16 or
  // a bad extra field), creates the KTRV fields and starts answering.
  explicit Terminal(const TerminalOptions &options = {});
  ~Terminal();
  Terminal(const Terminal &) = delete;
  Terminal &operator=(const Terminal &) = delete;

  SharedDataService &service();
  KtrvModel &model();
  std::uint16_t port() const;

  // Puts the terminal back as it was at start with its options: the KTRV
  // fields and the extra ones with their first values, statuses and
  // silence as at start (fields created since are gone), the model's
  // mailboxes, events, scale, outputs and display lines, no fault, the
  // display object showing the terminal's own and an empty traffic record.
  // The service keeps answering meanwhile; the traffic log stays on or off
  // as it is, and gets a note of the reset.
  void reset();

  // "bx297" -> "/t1/bx297" for the node served; a name starting with '/'
  // stays as it is.
  std::string full_name(const std::string &name) const;
  // The faults in force, those of the service and then those of single
  // fields, as status lists them: "silent, reads of /t1/bx251 go
  // unanswered"; "none" when there is none.
  std::string faults_in_force();

  // Traffic lines to the log sink on or off (the model's notes always go).
  void set_traffic_log(bool on);

  // True once "quit" has been executed or interrupt() called.
  bool quit_requested() const;
  // Ends a "sleep" in progress at once, and every later one: the program is
  // stopping.
  void interrupt();
  // Waits this long, or until interrupt().
  void sleep(std::chrono::milliseconds pause);

  // Receives the traffic log (one decoded line per datagram) and the model's
  // notes ("command 14 (output forcing) carried out: ..."); "log off" and
  // "log on" switch the traffic lines off and on. No sink: nothing logged.
  void set_log(std::function<void(const std::string &line)> sink);

 private:
  // The fields of TerminalOptions::extra_fields with their first texts.
  void create_extra_fields();

  const TerminalOptions options_;
  std::unique_ptr<SharedDataService> service_;
  std::unique_ptr<KtrvModel> model_;
  std::atomic<bool> traffic_log_on_{true};
  std::mutex sink_mutex_;
  std::function<void(const std::string &)> sink_;
  mutable std::mutex quit_mutex_;
  std::condition_variable quit_changed_;
  bool quit_ = false;
};

}  // namespace vekxsim

#endif

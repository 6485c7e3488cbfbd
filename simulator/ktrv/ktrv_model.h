// The application program of a VekX terminal that serves a KTRV device, as
// far as the console sees it: its fields, the command mailbox that takes a
// command after a delay, the event mailbox, the literal fields, the inputs,
// the lower display, the scale and the forced state of the twelve outputs.
//
// The model lives on top of a SharedDataService: it creates its fields there
// at construction and reacts to the service's read and write hooks, which it
// takes back in its destructor. The service must outlive the model; the
// service may run while the model is made and destroyed.
// Every public member may be called from any thread.
#ifndef VEKXSIM_KTRV_MODEL_H
#define VEKXSIM_KTRV_MODEL_H

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "scale.h"
#include "shared_data_service.h"

namespace vekxsim {

struct KtrvOptions {
  int node = 1;                                  // node whose "/tN/" fields the model owns
  double weight = 0.0;                           // weight on the scale at start
  std::chrono::milliseconds command_delay{200};  // time before a command is taken (0 allowed)
  bool power_up = true;                          // post event 54 at start
};

// Forced state of one output as commands 14 and 15 leave it.
enum class OutputForce { none, off, on };

// "on", "off" or "-" (not forced), as the control language shows it.
const char *force_text(OutputForce f);

// What a command code asks for: "output forcing"; "unknown command".
std::string command_name(std::uint8_t code);

// What the model and the fields hold at one moment, as a panel shows it.
struct KtrvSnapshot {
  double target_weight = 0.0;
  double steady_weight = 0.0;  // the scale's reading now, without drift
  std::string weight_field;    // the weight field the selector shows: "wt101"
  std::uint8_t event_mailbox = 0;
  std::vector<std::uint8_t> queued_events;
  std::optional<std::uint8_t> pending_command;
  std::chrono::milliseconds command_delay{0};
  std::array<bool, 12> inputs{};
  std::array<OutputForce, 12> outputs{};
  std::array<std::string, 3> display_lines{};
  std::vector<FieldStore::Entry> fields;
};

class KtrvModel {
 public:
  // How many events may wait behind the one in the event mailbox; a post
  // beyond that is refused (post_event returns false) and logged.
  static constexpr std::size_t max_queued_events = 64;

  KtrvModel(SharedDataService &service, const KtrvOptions &options);
  ~KtrvModel();
  KtrvModel(const KtrvModel &) = delete;
  KtrvModel &operator=(const KtrvModel &) = delete;

  // "bx297" -> "/t1/bx297" for the node served.
  std::string field_name(std::string_view own_name) const;

  // Events. post_event puts the code into the event mailbox when it holds 0,
  // otherwise queues it until the console writes 0 there. Code 0 is refused.
  bool post_event(std::uint8_t code);
  // Literals: event 51 with "/t1/Lit50" and its source and terminator,
  // which are put into their fields when the event reaches the mailbox.
  bool key_literal(const std::string &text, std::uint8_t terminator);
  bool serial_literal(const std::string &text);
  // Clears the event mailbox as the console's acknowledge does (and so lets
  // the next queued event in).
  void acknowledge_event();
  std::uint8_t event_in_mailbox() const;
  std::vector<std::uint8_t> queued_events() const;

  // Scale.
  void set_weight(double weight);
  void set_settle_time(std::chrono::milliseconds settle);
  void set_drift(double amplitude);
  double target_weight() const;
  // Puts the scale's present reading into the weight fields (a read over
  // the wire does this by itself).
  void refresh_weight();

  // The weight selector vek15: 0 or 1 shows wt101, anything else wt501.
  void set_weight_selector(std::uint8_t value);

  // Inputs 1..12 (In1..In12); false for a number out of range.
  bool set_input(int number, bool on);
  std::array<bool, 12> inputs() const;
  // Lower display: cut to 50 characters and filled up with spaces.
  void set_lower_display(const std::string &text);

  // Command mailbox.
  void set_command_delay(std::chrono::milliseconds delay);
  std::chrono::milliseconds command_delay() const;
  std::optional<std::uint8_t> pending_command() const;
  // Carries out a command as if the console had posted it and it was taken.
  void run_command(std::uint8_t code);

  // Everything above taken at once under the model's lock.
  KtrvSnapshot snapshot() const;

  // What the commands did.
  std::array<OutputForce, 12> outputs() const;
  std::array<std::string, 3> display_lines() const;
  int buffer_flushes() const;
  int completed_transactions() const;
  int resets() const;

  // Back to the state at start with these options (their node aside, which
  // stays): every field of the service's store goes, the model's own come
  // back with their first values; no command pending, no event waiting,
  // the scale settled on options.weight with the default settling time and
  // no drift, no output forced, no display line, counters at 0.
  void reset(const KtrvOptions &options);

  // Lines about what the model does ("command 14 taken: ..."); none by default.
  void set_log(std::function<void(const std::string &line)> sink);

 private:
  struct QueuedEvent {
    std::uint8_t code = 0;
    bool has_literal = false;
    std::string text;
    std::uint8_t source = 0;
    std::uint8_t terminator = 0;
    static QueuedEvent plain(std::uint8_t code) {
      QueuedEvent e;
      e.code = code;
      return e;
    }
  };

  void create_fields_locked();
  // A field of the map ("/t1/bx297") under the node served: "/t2/bx297"
  // for node 2.
  std::string served(const char *map_name) const;
  // Sets such a field to one byte.
  void set_byte(const char *map_name, std::uint8_t value);
  void on_write(const std::string &name, const std::vector<std::uint8_t> &value);
  void on_read(const std::string &name);
  bool queue_event(QueuedEvent event);
  bool advance_events_locked();
  void put_event_locked(const QueuedEvent &event);
  void take_due_command_locked();
  void carry_out_locked(std::uint8_t code);
  void update_weight_locked();
  std::string field_text_locked(const char *map_name, std::size_t from, std::size_t count) const;
  void note(const std::string &line);
  void worker();

  SharedDataService &service_;
  FieldStore &fields_;
  const std::string prefix_;

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::chrono::milliseconds command_delay_;
  std::optional<std::uint8_t> pending_;
  std::chrono::steady_clock::time_point pending_due_{};
  std::deque<QueuedEvent> events_;
  Scale scale_;
  std::array<OutputForce, 12> outputs_{};
  std::array<std::string, 3> display_lines_{};
  int flushes_ = 0;
  int transactions_ = 0;
  int resets_ = 0;

  std::mutex log_mutex_;
  std::function<void(const std::string &)> log_sink_;

  std::thread worker_;
};

}  // namespace vekxsim

#endif

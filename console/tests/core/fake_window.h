// A window without a toolkit for the console's logic: every control's
// text, colours and tick, the two timers on a virtual clock, and operator
// actions scheduled at virtual times. waitForEvents() runs the next due
// event at once, so a test of waits and polls takes no real time.
#ifndef KTRV_TEST_FAKE_WINDOW_H
#define KTRV_TEST_FAKE_WINDOW_H

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "console.h"
#include "view.h"

namespace ktrv::test {

class FakeWindow : public View {
 public:
  FakeWindow();

  // The console this window's events go to (set once it exists).
  void attach(Console &console) { console_ = &console; }

  std::string text(ControlId control) const override { return controls_.at(control).text; }
  void setText(ControlId control, const std::string &text) override { controls_.at(control).text = text; }
  std::uint32_t backColour(ControlId control) const override { return controls_.at(control).back; }
  void setBackColour(ControlId control, std::uint32_t rgb) override { controls_.at(control).back = rgb; }
  std::uint32_t foreColour(ControlId control) const override { return controls_.at(control).fore; }
  void setForeColour(ControlId control, std::uint32_t rgb) override { controls_.at(control).fore = rgb; }
  bool isChecked(ControlId control) const override { return controls_.at(control).checked; }
  void setChecked(ControlId control, bool checked) override { controls_.at(control).checked = checked; }
  void startTimer(TimerId timer, int intervalMs) override;
  void stopTimer(TimerId timer) override;
  void waitForEvents() override;
  void requestClose() override;

  // The operator: clicks a control (a check box toggles first) or types.
  void click(ControlId control);
  void type(ControlId control, const std::string &text) { setText(control, text); }

  // Runs the event loop for ms of virtual time.
  void runFor(std::int64_t ms);
  // Runs the event loop until n more poll ticks have ended.
  void runTicks(int n);
  // Runs action at `ms` from now, from within the event loop.
  void at(std::int64_t ms, std::function<void()> action);
  std::int64_t now() const { return now_; }
  bool timerRunning(TimerId timer) const { return timers_.at(timer).running; }
  int ticksEnded() const { return ticks_; }
  bool closed() const { return closed_; }

 private:
  struct Control {
    std::string text;
    std::uint32_t back = 0;
    std::uint32_t fore = 0;
    bool checked = false;
  };
  struct Timer {
    bool running = false;
    int interval = 0;
    std::int64_t due = 0;
  };
  // Runs the earliest event due at or before `until`; false when none is.
  bool runNext(std::int64_t until);

  std::map<ControlId, Control> controls_;
  std::map<TimerId, Timer> timers_;
  std::multimap<std::pair<std::int64_t, std::uint64_t>, std::function<void()>> actions_;
  std::uint64_t sequence_ = 0;
  std::int64_t now_ = 0;
  int ticks_ = 0;
  bool closed_ = false;
  Console *console_ = nullptr;
};

}  // namespace ktrv::test

#endif

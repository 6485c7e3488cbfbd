// A console on a window without a toolkit and a terminal without a network.
// FakeWindow keeps each control's text, colours and tick and runs timers and
// operator actions on a virtual clock, each due event at once, so waits take
// no real time. FakeTerminal stands for the library and the terminal: reads
// deliver as the library does (at most the count, a NUL behind a shorter
// value) or fail, the mailbox reads 255 for a while after each command, and
// every call is recorded with its virtual time.
#ifndef KTRV_TEST_CONSOLE_FIXTURE_H
#define KTRV_TEST_CONSOLE_FIXTURE_H

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "console.h"
#include "library.h"
#include "view.h"

namespace ktrv::test {

using Bytes = std::vector<std::uint8_t>;
using Strings = std::vector<std::string>;

class FakeWindow : public View {
 public:
  FakeWindow();
  void attach(Console &console) { console_ = &console; }

  std::string text(ControlId c) const override { return controls_.at(c).text; }
  void setText(ControlId c, const std::string &text) override { controls_.at(c).text = text; }
  std::uint32_t backColour(ControlId c) const override { return controls_.at(c).back; }
  void setBackColour(ControlId c, std::uint32_t rgb) override { controls_.at(c).back = rgb; }
  std::uint32_t foreColour(ControlId c) const override { return controls_.at(c).fore; }
  void setForeColour(ControlId c, std::uint32_t rgb) override { controls_.at(c).fore = rgb; }
  bool isChecked(ControlId c) const override { return controls_.at(c).checked; }
  void setChecked(ControlId c, bool checked) override { controls_.at(c).checked = checked; }
  void startTimer(TimerId timer, int intervalMs) override { timers_[timer] = {true, intervalMs, now_ + intervalMs}; }
  void stopTimer(TimerId timer) override { timers_[timer].running = false; }
  void waitForEvents() override;
  void requestClose() override;
  void showWaiting(bool waiting) override { waitCursor.push_back(waiting); }
  void setToolTip(ControlId c, const std::string &text) override { controls_.at(c).toolTip = text; }
  // Records the box, and whether the poll still ran when it showed.
  void showFatalMessage(const std::string &title, const std::string &message) override {
    shownMessages.push_back(title + ": " + message + (timerRunning(TimerId::tmrVekPoll) ? " (poll running)" : ""));
  }
  std::string toolTip(ControlId c) const { return controls_.at(c).toolTip; }
  Strings shownMessages;
  // Each change of the wait cursor, in order: true shown, false gone.
  std::vector<bool> waitCursor;

  // The operator clicks a control; a check box toggles first.
  void click(ControlId control);
  // Runs the event loop until n more poll ticks have ended, or for ms.
  void runTicks(int n);
  void runFor(std::int64_t ms);
  // Runs action ms from now, from within the event loop.
  void at(std::int64_t ms, std::function<void()> action) { actions_.emplace(std::pair{now_ + ms, seq_++}, action); }
  std::int64_t now() const { return now_; }
  bool timerRunning(TimerId timer) const { return timers_.at(timer).running; }
  bool closed() const { return closed_; }

 private:
  struct Control {
    std::string text, toolTip;
    std::uint32_t back = 0, fore = 0;
    bool checked = false;
  };
  struct Timer {
    bool running = false;
    int interval = 0;
    std::int64_t due = 0;
  };
  bool runNext(std::int64_t until);  // false when no event is due by then

  std::map<ControlId, Control> controls_;
  std::map<TimerId, Timer> timers_{{TimerId::tmrVekPoll, {}}, {TimerId::Delay1, {}}};
  std::multimap<std::pair<std::int64_t, std::uint64_t>, std::function<void()>> actions_;
  std::uint64_t seq_ = 0;
  std::int64_t now_ = 0;
  int ticks_ = 0;
  bool closed_ = false;
  Console *console_ = nullptr;
};

struct Call {
  enum Kind { registration, close, read, write } kind;
  std::string field;  // read, write: the field; registration: the address list
  Bytes data;         // write: the bytes sent; read: the bytes delivered
  std::int64_t when;  // virtual ms
  std::int16_t result;
};

class FakeTerminal : public Library {
 public:
  explicit FakeTerminal(const FakeWindow &clock);

  std::int16_t registerProcess(std::int16_t, const char *addressList, std::int32_t) override;
  std::int16_t closeProcess() override;
  std::int16_t read(const char *fieldName, std::int16_t bufferSize, void *buffer, std::int16_t *count) override;
  std::int16_t write(const char *fieldName, std::int16_t dataLength, const void *data) override;

  void set(const std::string &field, const std::string &bytes) { fields_[field] = Bytes(bytes.begin(), bytes.end()); }
  void setByte(const std::string &field, std::uint8_t value) { fields_[field] = {value}; }
  // Reads of the field fail with this result (0: they work again); or, for
  // the next reads only, one result each.
  void failReads(const std::string &field, std::int16_t result) { failing_[field] = result; }
  void scriptReads(const std::string &field, const std::vector<std::int16_t> &results) { scripted_[field] = results; }
  // From now and after each command, the command mailbox reads 255 this
  // many times before the command is taken.
  void setMailboxDelay(int reads) { mailboxDelay_ = mailboxBusy_ = reads; }
  void setRegistrationResult(std::int16_t result) { registrationResult_ = result; }

  const std::vector<Call> &calls() const { return calls_; }
  void clearCalls() { calls_.clear(); }
  // What reached the terminal: reads as "field", writes as "field=hex";
  // without the poll's reads, of the reads only the command mailbox's.
  Strings described(bool withPoll = true) const;

 private:
  std::int16_t record(Call::Kind kind, const std::string &field, Bytes data, std::int16_t result);

  const FakeWindow &clock_;
  std::map<std::string, Bytes> fields_;
  std::map<std::string, std::int16_t> failing_;
  std::map<std::string, std::vector<std::int16_t>> scripted_;
  std::vector<Call> calls_;
  int mailboxDelay_ = 0, mailboxBusy_ = 0;
  std::int16_t registrationResult_ = 0;
  bool registered_ = false;
};

class ConsoleTest : public ::testing::Test {
 protected:
  ConsoleTest() : console(window, terminal, [this](const std::string &line) { errors.push_back(line); }) {
    window.attach(console);
  }

  // Types the address into IPAddr and presses Start.
  void start(const std::string &address = "127.0.0.1") {
    window.setText(controlId("IPAddr"), address);
    window.click(controlId("IPupdate"));
  }
  // What one poll tick did at the terminal.
  Strings oneTick() {
    terminal.clearCalls();
    window.runTicks(1);
    return terminal.described();
  }
  // What a click did at the terminal, commands only (it returns once the
  // click's handling has ended).
  Strings clicked(ControlId control) {
    terminal.clearCalls();
    window.click(control);
    return terminal.described(false);
  }
  std::string text(const char *name) const { return window.text(controlIdOf(name)); }
  // What the box shows after one more poll tick.
  std::string afterTick(const char *name) {
    window.runTicks(1);
    return text(name);
  }
  static ControlId controlIdOf(std::string_view name) {
    const ControlId row = rowNamed(name);
    return row < layout::kControls.size() ? row : throw std::invalid_argument(std::string(name));
  }

  FakeWindow window;
  FakeTerminal terminal{window};
  Strings errors;  // the console's lines on standard error
  Console console;
};

}  // namespace ktrv::test

#endif

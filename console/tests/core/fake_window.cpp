#include "fake_window.h"

#include <limits>
#include <stdexcept>

namespace ktrv::test {

namespace {
constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();

std::uint32_t initial(const layout::Colour &c) {
  // The colours a toolkit would resolve: only those the table gives matter.
  return c.source == layout::Colour::Source::Rgb ? c.value : 0;
}
}  // namespace

FakeWindow::FakeWindow() {
  for (ControlId id = 0; id < layout::kControls.size(); ++id) {
    const layout::Control &row = layout::kControls[id];
    controls_[id] = {row.text, initial(row.back), initial(row.fore), false};
  }
  timers_[TimerId::tmrVekPoll] = {};
  timers_[TimerId::Delay1] = {};
}

void FakeWindow::startTimer(TimerId timer, int intervalMs) { timers_[timer] = {true, intervalMs, now_ + intervalMs}; }

void FakeWindow::stopTimer(TimerId timer) { timers_[timer].running = false; }

void FakeWindow::requestClose() {
  if (closed_) return;
  closed_ = true;
  console_->closing();
}

void FakeWindow::click(ControlId control) {
  if (layout::kControls[control].kind == layout::Kind::CheckBox)
    controls_[control].checked = !controls_[control].checked;
  console_->click(control);
}

void FakeWindow::at(std::int64_t ms, std::function<void()> action) {
  actions_.emplace(std::pair{now_ + ms, sequence_++}, std::move(action));
}

bool FakeWindow::runNext(std::int64_t until) {
  std::int64_t due = actions_.empty() ? kNever : actions_.begin()->first.first;
  TimerId timer = TimerId::tmrVekPoll;
  bool isTimer = false;
  for (auto &[id, t] : timers_) {
    // A timer due at the same moment as an action comes after it.
    if (t.running && t.due < due) {
      due = t.due;
      timer = id;
      isTimer = true;
    }
  }
  if (due == kNever || due > until) return false;
  now_ = due;
  if (isTimer) {
    Timer &t = timers_[timer];
    t.due += t.interval;
    console_->timerTick(timer);
    if (timer == TimerId::tmrVekPoll) ++ticks_;
  } else {
    auto action = std::move(actions_.begin()->second);
    actions_.erase(actions_.begin());
    action();
  }
  return true;
}

void FakeWindow::waitForEvents() {
  if (!runNext(kNever)) throw std::logic_error("the console waits for an event that can never come");
}

void FakeWindow::runFor(std::int64_t ms) {
  const std::int64_t until = now_ + ms;
  while (runNext(until)) {
  }
  now_ = until;
}

void FakeWindow::runTicks(int n) {
  const int target = ticks_ + n;
  while (ticks_ < target)
    if (!runNext(kNever)) throw std::logic_error("no poll tick can come");
}

}  // namespace ktrv::test

#include "console_fixture.h"

#include <cstring>
#include <limits>
#include <stdexcept>

#include "hex_bytes.h"
#include "terminal_fields.h"
#include "vekxapi.h"

namespace ktrv::test {

constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();

FakeWindow::FakeWindow() {
  for (ControlId id = 0; id < layout::kControls.size(); ++id) {
    const layout::Control &row = layout::kControls[id];
    const auto rgb = [](const layout::Colour &c) { return c.source == layout::Colour::Source::Rgb ? c.value : 0; };
    controls_[id] = {row.text, "", rgb(row.back), rgb(row.fore), false};
  }
}

void FakeWindow::requestClose() {
  if (!closed_) console_->closing();
  closed_ = true;
}

void FakeWindow::click(ControlId control) {
  if (layout::kControls[control].kind == layout::Kind::CheckBox) controls_[control].checked ^= true;
  console_->click(control);
}

bool FakeWindow::runNext(std::int64_t until) {
  std::int64_t due = actions_.empty() ? kNever : actions_.begin()->first.first;
  Timer *timer = nullptr;
  TimerId id{};
  for (auto &[which, t] : timers_) {
    if (t.running && t.due < due) {  // an action at the same moment comes first
      due = t.due;
      timer = &t;
      id = which;
    }
  }
  if (due == kNever || due > until) return false;
  now_ = due;
  if (timer != nullptr) {
    timer->due += timer->interval;
    console_->timerTick(id);
    ticks_ += id == TimerId::tmrVekPoll;
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

void FakeWindow::runTicks(int n) {
  for (const int target = ticks_ + n; ticks_ < target;) waitForEvents();
}

void FakeWindow::runFor(std::int64_t ms) {
  const std::int64_t until = now_ + ms;
  while (runNext(until)) {
  }
  now_ = until;
}

FakeTerminal::FakeTerminal(const FakeWindow &clock) : clock_(clock) {
  // What a terminal holds when nothing has happened yet.
  set(fields::weight_1, "    0.00");
  for (const char *f : {fields::weight_selector, fields::command_mailbox, fields::event_mailbox, fields::literal_source,
                        fields::literal_terminator})
    setByte(f, 0);
  for (const char *f : fields::inputs) setByte(f, 0);
  set(fields::literal, std::string(48, '\0'));
  set(fields::lower_display, std::string(50, ' '));
}

std::int16_t FakeTerminal::record(Call::Kind kind, const std::string &field, Bytes data, std::int16_t result) {
  calls_.push_back({kind, field, std::move(data), clock_.now(), result});
  return result;
}

std::int16_t FakeTerminal::registerProcess(std::int16_t, const char *addressList, std::int32_t) {
  const std::int16_t result = registered_ ? VEKX_ALREADY_REGISTERED : registrationResult_;
  registered_ = registered_ || result == VEKX_OK;
  return record(Call::registration, addressList, {}, result);
}

std::int16_t FakeTerminal::closeProcess() {
  const std::int16_t result = registered_ ? VEKX_OK : VEKX_NOT_REGISTERED;
  registered_ = false;
  return record(Call::close, "", {}, result);
}

std::int16_t FakeTerminal::read(const char *fieldName, std::int16_t bufferSize, void *buffer, std::int16_t *count) {
  const std::string name = fieldName;
  if (!registered_) return record(Call::read, name, {}, VEKX_NOT_REGISTERED);
  std::int16_t failure = failing_[name];
  if (auto &script = scripted_[name]; !script.empty()) {
    failure = script.front();
    script.erase(script.begin());
  }
  if (failure != 0) return record(Call::read, name, {}, failure);
  Bytes value = fields_[name];
  if (name == fields::command_mailbox && mailboxBusy_ > 0) {
    --mailboxBusy_;
    value = {codes::kCommandNotYetTaken};
  }
  const std::size_t size = static_cast<std::size_t>(bufferSize);
  value.resize(std::min(value.size(), size));
  std::memcpy(buffer, value.data(), value.size());
  if (value.size() < size) static_cast<std::uint8_t *>(buffer)[value.size()] = 0;
  *count = static_cast<std::int16_t>(value.size());
  return record(Call::read, name, value, VEKX_OK);
}

std::int16_t FakeTerminal::write(const char *fieldName, std::int16_t dataLength, const void *data) {
  const std::string name = fieldName;
  const auto *bytes = static_cast<const std::uint8_t *>(data);
  const Bytes value(bytes, bytes + dataLength);
  if (!registered_) return record(Call::write, name, value, VEKX_NOT_REGISTERED);
  fields_[name] = value;
  if (name == fields::command_mailbox) {
    mailboxBusy_ = mailboxDelay_;
    setByte(name, 0);  // what it reads once the command is taken
  }
  return record(Call::write, name, value, VEKX_OK);
}

std::vector<std::string> FakeTerminal::described(bool withPoll) const {
  std::vector<std::string> out;
  for (const Call &c : calls_) {
    if (c.result == VEKX_NOT_REGISTERED) continue;  // nothing reached the terminal
    if (c.kind == Call::read && (withPoll || c.field == fields::command_mailbox)) out.push_back(c.field);
    if (c.kind == Call::write) out.push_back(c.field + "=" + vekx_common::hex_text(c.data));
  }
  return out;
}

}  // namespace ktrv::test

#include "ktrv_model.h"

#include <algorithm>

#include "code_page.h"
#include "ktrv_fields.h"
#include "vekx_wire.h"

namespace vekxsim {

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace ktrv = vekx_common::ktrv;
namespace field = vekx_common::ktrv::field;

// A text typed as UTF-8, in the terminal's Windows-1252, cut to size and
// filled up.
Bytes fixed_text(const std::string &text, std::size_t size, char fill) {
  const std::string bytes = vekx_common::cp1252_from_utf8(text);
  Bytes out(size, static_cast<std::uint8_t>(fill));
  std::copy_n(bytes.begin(), std::min(bytes.size(), size), out.begin());
  return out;
}

}  // namespace

std::string command_name(std::uint8_t code) {
  switch (code) {
    case ktrv::command::single_line:
      return "single display line";
    case ktrv::command::four_line:
      return "four-line display";
    case ktrv::command::flush_buffer:
      return "flush buffer";
    case ktrv::command::apply_forcing:
      return "output forcing";
    case ktrv::command::clear_forcing:
      return "clear forcing";
    case ktrv::command::transaction_complete:
      return "transaction complete";
    case ktrv::command::ktrv_reset:
      return "KTRV reset";
    default:
      return "unknown command";
  }
}

KtrvModel::KtrvModel(SharedDataService &service, const KtrvOptions &options)
    : service_(service),
      fields_(service.fields()),
      prefix_(std::string("/t") + vekx::node_character(options.node - 1) + "/"),
      command_delay_(std::max(options.command_delay, std::chrono::milliseconds(0))),
      scale_(options.weight) {
  {
    std::lock_guard lock(mutex_);
    create_fields_locked();
  }
  service_.on_write([this](const std::string &name, const Bytes &value) { on_write(name, value); });
  service_.on_read([this](const std::string &name) { on_read(name); });
  if (options.power_up) post_event(ktrv::event::power_up);
  worker_ = std::thread([this] { worker(); });
}

KtrvModel::~KtrvModel() {
  // Once these return, no hook call is running or will start.
  service_.on_write(nullptr);
  service_.on_read(nullptr);
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  worker_.join();
}

std::string KtrvModel::field_name(std::string_view own_name) const { return prefix_ + std::string(own_name); }

std::string KtrvModel::served(const char *map_name) const { return field_name(field::own_name(map_name)); }

// Every field takes values of up to its own size, as the application
// program declares it.
void KtrvModel::create_fields_locked() {
  const auto one_byte = [&](const char *name) { fields_.set(served(name), {0}, 1); };
  const auto sized = [&](const char *name, Bytes value) {
    const std::size_t size = value.size();
    fields_.set(served(name), std::move(value), size);
  };
  one_byte(field::weight_selector);
  sized(field::weight_1, Bytes(field::weight_bytes, 0));
  sized(field::weight_5, Bytes(field::weight_bytes, 0));
  update_weight_locked();
  one_byte(field::command_mailbox);
  one_byte(field::event_mailbox);
  sized(field::literal, Bytes(field::literal_bytes, 0));
  one_byte(field::literal_source);
  one_byte(field::literal_terminator);
  sized(field::display_lines_12, fixed_text("", field::display_block_length, ' '));
  sized(field::display_line_3, fixed_text("", field::display_line_length, ' '));
  // 0 in a forcing field leaves its output alone when command 14 comes.
  for (auto name : field::outputs) one_byte(name);
  for (auto name : field::inputs) one_byte(name);
  sized(field::lower_display,
        fixed_text("VEKX " + prefix_.substr(2, 1) + " KTRV READY", field::lower_display_length, ' '));
}

void KtrvModel::reset(const KtrvOptions &options) {
  {
    // Under the model's lock, so that a write from the service thread sees
    // the old state or the new one, never a mixture.
    std::lock_guard lock(mutex_);
    command_delay_ = std::max(options.command_delay, std::chrono::milliseconds(0));
    pending_.reset();
    events_.clear();
    scale_ = Scale(options.weight);
    outputs_ = {};
    display_lines_ = {};
    flushes_ = transactions_ = resets_ = 0;
    fields_.clear();
    create_fields_locked();
  }
  wake_.notify_all();
  if (options.power_up) post_event(ktrv::event::power_up);
}

void KtrvModel::note(const std::string &line) {
  std::lock_guard lock(log_mutex_);
  if (log_sink_) log_sink_(line);
}

void KtrvModel::set_log(std::function<void(const std::string &line)> sink) {
  std::lock_guard lock(log_mutex_);
  log_sink_ = std::move(sink);
}

void KtrvModel::set_byte(const char *map_name, std::uint8_t value) { fields_.set(served(map_name), {value}); }

// ---- service hooks (service thread) ----

void KtrvModel::on_write(const std::string &name, const Bytes &value) {
  std::lock_guard lock(mutex_);
  const std::uint8_t first = value.empty() ? 0 : value[0];
  if (name == served(field::command_mailbox)) {
    if (first == 0 || first == ktrv::command::pending) {
      note("command mailbox set to " + std::to_string(first) + ": nothing to carry out");
      pending_.reset();
      return;
    }
    if (pending_)
      note("command " + std::to_string(*pending_) + " replaced by " + std::to_string(first) +
           " before it was taken; it is lost");
    pending_ = first;
    pending_due_ = std::chrono::steady_clock::now() + command_delay_;
    if (command_delay_.count() == 0) {
      take_due_command_locked();
    } else {
      set_byte(field::command_mailbox, ktrv::command::pending);
      wake_.notify_all();
    }
  } else if (name == served(field::event_mailbox)) {
    advance_events_locked();
  }
}

void KtrvModel::on_read(const std::string &name) {
  std::lock_guard lock(mutex_);
  // A read at or after the due time never sees 255, even if the worker has
  // not woken yet.
  take_due_command_locked();
  if (name == served(field::weight_1) || name == served(field::weight_5)) update_weight_locked();
}

void KtrvModel::worker() {
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    if (pending_) {
      wake_.wait_until(lock, pending_due_);
      take_due_command_locked();
    } else {
      wake_.wait(lock);
    }
  }
}

// ---- commands ----

void KtrvModel::take_due_command_locked() {
  if (!pending_ || std::chrono::steady_clock::now() < pending_due_) return;
  const std::uint8_t code = *pending_;
  pending_.reset();
  carry_out_locked(code);
  set_byte(field::command_mailbox, 0);
}

// Texts travel in Windows-1252; the model keeps and shows them as UTF-8.
std::string KtrvModel::field_text_locked(const char *map_name, std::size_t from, std::size_t count) const {
  const auto value = fields_.get(served(map_name)).value_or(Bytes{});
  std::size_t end = from;
  while (end < value.size() && end < from + count && value[end] != 0) ++end;
  if (end <= from) return {};
  return vekx_common::utf8_from_cp1252(std::span(value).subspan(from, end - from));
}

void KtrvModel::carry_out_locked(std::uint8_t code) {
  std::string detail;
  const auto parameter = fields_.get(served(field::display_parameter)).value_or(Bytes{0});
  const int parameter_byte = parameter.empty() ? 0 : parameter[0];
  switch (code) {
    case ktrv::command::single_line:
      display_lines_[0] = field_text_locked(field::display_lines_12, 0, field::display_line_length);
      detail = "line 1 \"" + display_lines_[0] + "\" (parameter " + std::to_string(parameter_byte) + ")";
      break;
    case ktrv::command::four_line:
      display_lines_[0] = field_text_locked(field::display_lines_12, 0, field::display_line_length);
      display_lines_[1] =
          field_text_locked(field::display_lines_12, field::display_line_length, field::display_line_length);
      display_lines_[2] = field_text_locked(field::display_line_3, 0, field::display_line_length);
      detail = "lines \"" + display_lines_[0] + "\" \"" + display_lines_[1] + "\" \"" + display_lines_[2] +
               "\" (parameter " + std::to_string(parameter_byte) + ")";
      break;
    case ktrv::command::flush_buffer:
      ++flushes_;
      fields_.set(served(field::literal), Bytes(field::literal_bytes, 0));
      detail = "keyboard/serial literal cleared";
      break;
    case ktrv::command::apply_forcing:
      for (std::size_t i = 0; i < outputs_.size(); ++i) {
        const auto value = fields_.get(served(field::outputs[i])).value_or(Bytes{0});
        const int v = value.empty() ? 0 : value[0];
        // 1 forces off, 2 forces on; any other value leaves the output as it is.
        if (v == ktrv::force_off) outputs_[i] = OutputForce::off;
        if (v == ktrv::force_on) outputs_[i] = OutputForce::on;
        detail += (i ? " " : "") + std::to_string(i + 1) + ":" + force_text(outputs_[i]);
      }
      break;
    case ktrv::command::clear_forcing:
      outputs_.fill(OutputForce::none);
      detail = "all outputs back to the program";
      break;
    case ktrv::command::transaction_complete:
      ++transactions_;
      queue_event(QueuedEvent::plain(ktrv::event::weigh_complete));
      detail = "transaction " + std::to_string(transactions_) + " closed, event " +
               std::to_string(ktrv::event::weigh_complete) + " posted";
      break;
    case ktrv::command::ktrv_reset:
      ++resets_;
      outputs_.fill(OutputForce::none);
      display_lines_ = {};
      events_.clear();
      queue_event(QueuedEvent::plain(ktrv::event::ktrv_reset));
      detail = "device reset: forcing cleared, display blank, queued events dropped, event " +
               std::to_string(ktrv::event::ktrv_reset) + " posted";
      break;
    default:
      detail = "taken and ignored";
      break;
  }
  note("command " + std::to_string(code) + " (" + command_name(code) + ") carried out: " + detail);
}

void KtrvModel::run_command(std::uint8_t code) {
  std::lock_guard lock(mutex_);
  carry_out_locked(code);
}

void KtrvModel::set_command_delay(std::chrono::milliseconds delay) {
  std::lock_guard lock(mutex_);
  command_delay_ = std::max(delay, std::chrono::milliseconds(0));
}

std::chrono::milliseconds KtrvModel::command_delay() const {
  std::lock_guard lock(mutex_);
  return command_delay_;
}

std::optional<std::uint8_t> KtrvModel::pending_command() const {
  std::lock_guard lock(mutex_);
  return pending_;
}

// ---- events ----

bool KtrvModel::queue_event(QueuedEvent event) {
  if (event.code == ktrv::event::none) return false;
  if (events_.size() >= max_queued_events) {
    note("event " + std::to_string(event.code) + " refused: " + std::to_string(max_queued_events) +
         " events already wait");
    return false;
  }
  events_.push_back(std::move(event));
  if (!advance_events_locked())
    note("event " + std::to_string(events_.back().code) + " queued behind the unacknowledged event " +
         std::to_string(event_in_mailbox()));
  return true;
}

bool KtrvModel::advance_events_locked() {
  // Checked under the model's lock, so a post racing with the console's
  // acknowledge can never overwrite an event that is already in the mailbox.
  if (events_.empty() || event_in_mailbox() != ktrv::event::none) return false;
  QueuedEvent next = std::move(events_.front());
  events_.pop_front();
  put_event_locked(next);
  return true;
}

void KtrvModel::put_event_locked(const QueuedEvent &event) {
  if (event.has_literal) {
    fields_.set(served(field::literal), fixed_text(event.text, field::literal_bytes, '\0'));
    set_byte(field::literal_source, event.source);
    set_byte(field::literal_terminator, event.terminator);
  }
  set_byte(field::event_mailbox, event.code);
  note("event " + std::to_string(event.code) + " posted");
}

bool KtrvModel::post_event(std::uint8_t code) {
  std::lock_guard lock(mutex_);
  return queue_event(QueuedEvent::plain(code));
}

bool KtrvModel::key_literal(const std::string &text, std::uint8_t terminator) {
  std::lock_guard lock(mutex_);
  return queue_event(
      {ktrv::event::literal, true, text, static_cast<std::uint8_t>(field::LiteralSource::keyboard), terminator});
}

bool KtrvModel::serial_literal(const std::string &text) {
  std::lock_guard lock(mutex_);
  return queue_event(
      {ktrv::event::literal, true, text, static_cast<std::uint8_t>(field::LiteralSource::serial_port), 0});
}

void KtrvModel::acknowledge_event() {
  set_byte(field::event_mailbox, ktrv::event::none);
  on_write(served(field::event_mailbox), Bytes{ktrv::event::none});
}

std::uint8_t KtrvModel::event_in_mailbox() const {
  const auto value = fields_.get(served(field::event_mailbox)).value_or(Bytes{ktrv::event::none});
  return value.empty() ? ktrv::event::none : value[0];
}

std::vector<std::uint8_t> KtrvModel::queued_events() const {
  std::lock_guard lock(mutex_);
  std::vector<std::uint8_t> codes;
  for (const auto &e : events_) codes.push_back(e.code);
  return codes;
}

// ---- scale, inputs, display ----

void KtrvModel::update_weight_locked() {
  const auto text =
      fixed_text(Scale::weight_text(scale_.reading(std::chrono::steady_clock::now())), field::weight_bytes, '\0');
  fields_.set(served(field::weight_1), text);
  fields_.set(served(field::weight_5), text);
}

void KtrvModel::set_weight(double weight) {
  std::lock_guard lock(mutex_);
  scale_.set_target(weight, std::chrono::steady_clock::now());
  update_weight_locked();
}

void KtrvModel::set_settle_time(std::chrono::milliseconds settle) {
  std::lock_guard lock(mutex_);
  scale_.set_settle_time(settle);
  update_weight_locked();
}

void KtrvModel::set_drift(double amplitude) {
  std::lock_guard lock(mutex_);
  scale_.set_drift(amplitude);
  update_weight_locked();
}

void KtrvModel::refresh_weight() {
  std::lock_guard lock(mutex_);
  update_weight_locked();
}

double KtrvModel::target_weight() const {
  std::lock_guard lock(mutex_);
  return scale_.target();
}

void KtrvModel::set_weight_selector(std::uint8_t value) { set_byte(field::weight_selector, value); }

bool KtrvModel::set_input(int number, bool on) {
  if (number < 1 || number > static_cast<int>(field::inputs.size())) return false;
  set_byte(field::inputs[number - 1], on ? 1 : 0);
  return true;
}

std::array<bool, 12> KtrvModel::inputs() const {
  std::array<bool, 12> states{};
  for (std::size_t i = 0; i < states.size(); ++i) {
    const auto value = fields_.get(served(field::inputs[i])).value_or(Bytes{0});
    states[i] = !value.empty() && value[0] == 1;
  }
  return states;
}

void KtrvModel::set_lower_display(const std::string &text) {
  fields_.set(served(field::lower_display), fixed_text(text, field::lower_display_length, ' '));
}

std::array<OutputForce, 12> KtrvModel::outputs() const {
  std::lock_guard lock(mutex_);
  return outputs_;
}

std::array<std::string, 3> KtrvModel::display_lines() const {
  std::lock_guard lock(mutex_);
  return display_lines_;
}

int KtrvModel::buffer_flushes() const {
  std::lock_guard lock(mutex_);
  return flushes_;
}

int KtrvModel::completed_transactions() const {
  std::lock_guard lock(mutex_);
  return transactions_;
}

int KtrvModel::resets() const {
  std::lock_guard lock(mutex_);
  return resets_;
}

KtrvSnapshot KtrvModel::snapshot() const {
  KtrvSnapshot s;
  std::lock_guard lock(mutex_);
  s.fields = fields_.entries();
  const auto first_byte = [&](const char *map_name) -> std::uint8_t {
    const std::string key = FieldStore::key(served(map_name));
    const auto it = std::ranges::find(s.fields, key, &FieldStore::Entry::name);
    return it == s.fields.end() || it->value.empty() ? 0 : it->value[0];
  };
  s.target_weight = scale_.target();
  s.steady_weight = scale_.steady_reading(std::chrono::steady_clock::now());
  s.weight_field = field::own_name(
      first_byte(field::weight_selector) <= field::highest_selector_of_weight_1 ? field::weight_1 : field::weight_5);
  s.event_mailbox = first_byte(field::event_mailbox);
  for (const auto &e : events_) s.queued_events.push_back(e.code);
  s.pending_command = pending_;
  s.command_delay = command_delay_;
  for (std::size_t i = 0; i < s.inputs.size(); ++i) s.inputs[i] = first_byte(field::inputs[i]) == 1;
  s.outputs = outputs_;
  s.display_lines = display_lines_;
  return s;
}

const char *force_text(OutputForce f) {
  switch (f) {
    case OutputForce::off:
      return "off";
    case OutputForce::on:
      return "on";
    default:
      return "-";
  }
}

}  // namespace vekxsim

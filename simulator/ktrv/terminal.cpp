#include "terminal.h"

#include <stdexcept>

#include "code_page.h"

namespace vekxsim {

Terminal::Terminal(const TerminalOptions &options)
    : options_(options),
      service_(std::make_unique<SharedDataService>(options.listen_address, options.port, options.node)) {
  service_->fields().set_lenient(options.lenient);
  model_ = std::make_unique<KtrvModel>(
      *service_, KtrvOptions{options.node, options.weight, options.command_delay, options.power_up});
  create_extra_fields();
  service_->set_log([this](const std::string &line) {
    if (!traffic_log_on_.load()) return;
    std::lock_guard lock(sink_mutex_);
    if (sink_) sink_(line);
  });
  model_->set_log([this](const std::string &line) {
    std::lock_guard lock(sink_mutex_);
    if (sink_) sink_("ktrv: " + line);
  });
  service_->start();
}

void Terminal::create_extra_fields() {
  for (const std::string &field : options_.extra_fields) {
    const std::size_t equals = field.find('=');
    const std::string name = field.substr(0, equals);
    // Typed in UTF-8 like the control language's texts, kept in the
    // terminal's Windows-1252, which must have every character.
    const vekx_common::Cp1252Text converted =
        vekx_common::cp1252_exactly(equals == std::string::npos ? std::string() : field.substr(equals + 1));
    if (name.empty()) throw std::invalid_argument("a field needs a name: \"" + field + "\"");
    if (!converted.complete())
      throw std::invalid_argument("--field " + field + ": " + vekx_common::cp1252_refusal(converted, "its text"));
    const std::string &text = converted.bytes;
    try {
      service_->fields().set(full_name(name), std::vector<std::uint8_t>(text.begin(), text.end()));
    } catch (const std::length_error &e) {
      throw std::invalid_argument(e.what());
    }
  }
}

Terminal::~Terminal() {
  interrupt();
  // The model takes its hooks back from the running service; stopping the
  // service first merely spares it the traffic of its last moments.
  service_->stop();
  model_.reset();
  service_.reset();
}

SharedDataService &Terminal::service() { return *service_; }
KtrvModel &Terminal::model() { return *model_; }
std::uint16_t Terminal::port() const { return service_->port(); }

bool Terminal::quit_requested() const {
  std::lock_guard lock(quit_mutex_);
  return quit_;
}

void Terminal::interrupt() {
  {
    std::lock_guard lock(quit_mutex_);
    quit_ = true;
  }
  quit_changed_.notify_all();
}

void Terminal::sleep(std::chrono::milliseconds pause) {
  std::unique_lock lock(quit_mutex_);
  quit_changed_.wait_for(lock, pause, [&] { return quit_; });
}

void Terminal::set_log(std::function<void(const std::string &line)> sink) {
  std::lock_guard lock(sink_mutex_);
  sink_ = std::move(sink);
}

std::string Terminal::full_name(const std::string &name) const {
  if (!name.empty() && name[0] == '/') return name;
  return model_->field_name(name);
}

void Terminal::set_traffic_log(bool on) { traffic_log_on_ = on; }

void Terminal::reset() {
  model_->reset(KtrvOptions{options_.node, options_.weight, options_.command_delay, options_.power_up});
  // The extra fields passed their checks at start.
  create_extra_fields();
  service_->faults().clear();
  service_->display().clear();
  service_->traffic().clear();
  std::lock_guard lock(sink_mutex_);
  if (sink_) sink_("ktrv: terminal reset to its state at start");
}

std::string Terminal::faults_in_force() {
  std::vector<std::string> in_force = service_->faults().in_force();
  for (std::string &fault : service_->fields().faults()) in_force.push_back(std::move(fault));
  std::string faults;
  for (const std::string &fault : in_force) faults += (faults.empty() ? "" : ", ") + fault;
  return faults.empty() ? "none" : faults;
}

}  // namespace vekxsim

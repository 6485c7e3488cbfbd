#include "traffic_recorder.h"

#include "service_limits.h"

namespace vekxsim {

void TrafficRecorder::add(TrafficRecord record) {
  {
    std::lock_guard lock(listener_mutex_);
    if (listener_) listener_(record);
  }
  {
    std::lock_guard lock(mutex_);
    if (record.inbound) ++inbound_count_;
    records_.push_back(std::move(record));
    if (records_.size() > limits::traffic_records) records_.pop_front();
  }
  changed_.notify_all();
}

void TrafficRecorder::set_listener(std::function<void(const TrafficRecord &record)> listener) {
  std::lock_guard lock(listener_mutex_);
  listener_ = std::move(listener);
}

std::vector<TrafficRecord> TrafficRecorder::all() const {
  std::lock_guard lock(mutex_);
  return {records_.begin(), records_.end()};
}

std::vector<TrafficRecord> TrafficRecorder::inbound() const {
  std::lock_guard lock(mutex_);
  std::vector<TrafficRecord> out;
  for (const auto &r : records_)
    if (r.inbound) out.push_back(r);
  return out;
}

void TrafficRecorder::clear() {
  std::lock_guard lock(mutex_);
  records_.clear();
  inbound_count_ = 0;
}

std::size_t TrafficRecorder::wait_inbound(std::size_t n, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, timeout, [&] { return inbound_count_ >= n; });
  return inbound_count_;
}

}  // namespace vekxsim

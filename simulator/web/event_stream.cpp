#include "event_stream.h"

#include <algorithm>
#include <utility>

namespace vekxsim::web {

std::string event_text(std::string_view name, std::string_view data) {
  return "event: " + std::string(name) + "\ndata: " + std::string(data) + "\n\n";
}

std::optional<std::string> Subscriber::next(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, timeout, [&] { return closed_ || !queued_.empty(); });
  if (closed_) return std::nullopt;
  return std::exchange(queued_, {});
}

bool Subscriber::push(std::string_view text) {
  {
    std::lock_guard lock(mutex_);
    if (closed_) return false;
    if (queued_.size() + text.size() > limit_) {
      closed_ = true;
      queued_.clear();
    } else {
      queued_ += text;
    }
  }
  changed_.notify_all();
  return !closed();
}

void Subscriber::close() {
  {
    std::lock_guard lock(mutex_);
    closed_ = true;
  }
  changed_.notify_all();
}

bool Subscriber::closed() const {
  std::lock_guard lock(mutex_);
  return closed_;
}

void EventStream::forget_closed_locked() {
  std::erase_if(subscribers_, [](const auto &s) { return s->closed(); });
}

std::shared_ptr<Subscriber> EventStream::subscribe() {
  std::lock_guard lock(mutex_);
  forget_closed_locked();
  if (stopped_ || subscribers_.size() >= max_subscribers_) return nullptr;
  const auto &subscriber = subscribers_.emplace_back(std::make_shared<Subscriber>(queue_limit_));
  for (const std::string &text : kept_) subscriber->push(text);
  return subscriber;
}

void EventStream::publish(std::string_view name, std::string_view data, bool kept) {
  std::string text = event_text(name, data);
  std::lock_guard lock(mutex_);
  for (const auto &s : subscribers_) s->push(text);
  forget_closed_locked();
  if (!kept) return;
  kept_bytes_ += text.size();
  kept_.push_back(std::move(text));
  while (kept_bytes_ > queue_limit_ / 2) {
    kept_bytes_ -= kept_.front().size();
    kept_.pop_front();
  }
}

void EventStream::close_all() {
  std::lock_guard lock(mutex_);
  stopped_ = true;
  for (const auto &s : subscribers_) s->close();
  subscribers_.clear();
}

std::size_t EventStream::open_subscribers() {
  std::lock_guard lock(mutex_);
  forget_closed_locked();
  return subscribers_.size();
}

}  // namespace vekxsim::web

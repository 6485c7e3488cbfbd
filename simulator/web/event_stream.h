// The panel's Server-Sent Events: each connected page has a subscriber with
// a queue of events to send. Publishing only appends to the queues, under a
// lock held for no I/O, so a slow page never holds up the publisher: a
// subscriber whose queue outgrows its limit is closed and its page
// dropped, and no more than a set number of pages may subscribe at once.
// The latest kept events (the trace's rows) go to a page as it subscribes,
// so that a page that lost its stream fills the gap from them.
#ifndef VEKXSIM_WEB_EVENT_STREAM_H
#define VEKXSIM_WEB_EVENT_STREAM_H

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vekxsim::web {

// One event as the stream carries it: "event: NAME\ndata: DATA\n\n". DATA
// holds no line break (JSON from dump() holds none).
std::string event_text(std::string_view name, std::string_view data);

class Subscriber {
 public:
  explicit Subscriber(std::size_t limit) : limit_(limit) {}
  // The events queued since the last call, waiting up to timeout for one;
  // "" when none came, nothing once closed.
  std::optional<std::string> next(std::chrono::milliseconds timeout);
  // Queues text; closes the subscriber when its queue would outgrow the
  // limit. False once closed.
  bool push(std::string_view text);
  void close();
  bool closed() const;

 private:
  const std::size_t limit_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::string queued_;
  bool closed_ = false;
};

class EventStream {
 public:
  // At most max_subscribers at once, each with at most queue_limit bytes
  // waiting.
  EventStream(std::size_t max_subscribers, std::size_t queue_limit)
      : max_subscribers_(max_subscribers), queue_limit_(queue_limit) {}
  // A new subscriber with the kept events queued, or nullptr while
  // max_subscribers are open.
  std::shared_ptr<Subscriber> subscribe();
  // Queues an event for every open subscriber. A kept one is also queued
  // for the pages that subscribe later, the latest kept ones together
  // within half a queue's limit.
  void publish(std::string_view name, std::string_view data, bool kept = false);
  // Closes every subscriber and refuses new ones: the panel is stopping.
  void close_all();
  std::size_t open_subscribers();

 private:
  void forget_closed_locked();

  const std::size_t max_subscribers_;
  const std::size_t queue_limit_;
  std::mutex mutex_;
  std::vector<std::shared_ptr<Subscriber>> subscribers_;
  std::deque<std::string> kept_;
  std::size_t kept_bytes_ = 0;
  bool stopped_ = false;
};

}  // namespace vekxsim::web

#endif

// The traffic record: every datagram the service received and sent, in
// order, for the tests and the control language to look at.
#ifndef VEKXSIM_TRAFFIC_RECORDER_H
#define VEKXSIM_TRAFFIC_RECORDER_H

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

namespace vekxsim {

// One datagram as the service saw or sent it.
struct TrafficRecord {
  std::chrono::steady_clock::time_point when;
  bool inbound;             // true: received; false: sent by the service
  std::uint16_t peer_port;  // the other side's UDP port
  std::vector<std::uint8_t> bytes;
  std::size_t received_size = 0;  // the real length when bytes holds only its start
  // The other side's IPv4 address; all zero where it is not known.
  std::array<std::uint8_t, 4> peer_address{};
};

// Keeps the latest limits::traffic_records datagrams. Every member may be
// called from any thread.
class TrafficRecorder {
 public:
  void add(TrafficRecord record);
  std::vector<TrafficRecord> all() const;
  std::vector<TrafficRecord> inbound() const;
  void clear();
  // Waits until at least n datagrams have been received since the last
  // clear; returns the count seen (less than n when the timeout ran out).
  std::size_t wait_inbound(std::size_t n, std::chrono::milliseconds timeout) const;
  // Is told of every datagram as it is recorded, on the service's thread: a
  // listener must hand it on and return at once. Setting another (or none)
  // waits for a call of the old one to return.
  void set_listener(std::function<void(const TrafficRecord &record)> listener);

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::deque<TrafficRecord> records_;
  std::size_t inbound_count_ = 0;
  std::mutex listener_mutex_;
  std::function<void(const TrafficRecord &)> listener_;
};

}  // namespace vekxsim

#endif

// Replay time: the time since the replay started, scaled by the speed, and
// with looping, starting over after the capture's last datagram.
#ifndef VEKXSIM_REPLAY_CLOCK_H
#define VEKXSIM_REPLAY_CLOCK_H

#include <chrono>
#include <algorithm>
#include <functional>

namespace vekxsim::replay {

class ReplayClock {
 public:
  using Steady = std::chrono::steady_clock;
  using Time = std::chrono::microseconds;

  // speed > 0; span: the capture time of the last datagram.
  ReplayClock(double speed, bool loop, Time span, std::function<Steady::time_point()> now = Steady::now)
      : speed_(speed), loop_(loop), span_(span), now_(std::move(now)), start_(now_()) {}

  Time capture_time() const {
    const double scaled = std::chrono::duration<double, std::micro>(now_() - start_).count() * speed_;
    // Past a few centuries the time stands still rather than overflow.
    const auto t = static_cast<Time::rep>(std::min(scaled, 1e16));
    return Time(loop_ ? t % (span_.count() + 1) : t);
  }

 private:
  double speed_;
  bool loop_;
  Time span_;
  std::function<Steady::time_point()> now_;
  Steady::time_point start_;
};

}  // namespace vekxsim::replay

#endif

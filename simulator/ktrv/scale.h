// The simulated scale: it moves to a new weight over a settling time and may
// drift a little around it, as a real platform does under wind and vibration.
#ifndef VEKXSIM_SCALE_H
#define VEKXSIM_SCALE_H

#include <chrono>
#include <random>
#include <string>

namespace vekxsim {

class Scale {
 public:
  using Clock = std::chrono::steady_clock;

  // What the weight text's eight characters with two decimals can show.
  static constexpr double largest_weight = 99999.99;
  static constexpr double smallest_weight = -9999.99;

  explicit Scale(double weight = 0.0);

  // The scale moves from its present reading to weight in a straight line
  // over the settling time (0: at once).
  void set_target(double weight, Clock::time_point now);
  void set_settle_time(std::chrono::milliseconds settle);
  // Each reading adds a random offset of at most this much either way
  // (0: a steady reading).
  void set_drift(double amplitude);

  double target() const { return target_; }
  std::chrono::milliseconds settle_time() const { return settle_; }
  double drift() const { return drift_; }
  // The weight shown at now, rounded to hundredths and held to the range
  // the weight text can show.
  double reading(Clock::time_point now);
  // The same without drift: what the scale settles towards at now, which
  // changes only while it moves.
  double steady_reading(Clock::time_point now) const;

  // The weight as the terminal's weight fields hold it: 8 characters,
  // right aligned with two decimals ("   12.50").
  static std::string weight_text(double weight);

 private:
  double settled_at(Clock::time_point now) const;

  double start_ = 0.0;
  double target_ = 0.0;
  Clock::time_point change_time_{};
  std::chrono::milliseconds settle_{1000};
  double drift_ = 0.0;
  std::mt19937 random_{1701};
};

}  // namespace vekxsim

#endif

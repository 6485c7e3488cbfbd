#include "scale.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vekxsim {

Scale::Scale(double weight) : start_(weight), target_(weight) {}

void Scale::set_target(double weight, Clock::time_point now) {
  start_ = settled_at(now);
  target_ = weight;
  change_time_ = now;
}

void Scale::set_settle_time(std::chrono::milliseconds settle) {
  settle_ = std::max(settle, std::chrono::milliseconds(0));
}

void Scale::set_drift(double amplitude) { drift_ = std::fabs(amplitude); }

double Scale::settled_at(Clock::time_point now) const {
  if (settle_.count() == 0 || now >= change_time_ + settle_) return target_;
  const double part = std::chrono::duration<double>(now - change_time_) / std::chrono::duration<double>(settle_);
  return start_ + (target_ - start_) * std::clamp(part, 0.0, 1.0);
}

double Scale::reading(Clock::time_point now) {
  double weight = settled_at(now);
  if (drift_ > 0.0) weight += std::uniform_real_distribution<double>(-drift_, drift_)(random_);
  weight = std::round(weight * 100.0) / 100.0;
  return std::clamp(weight, smallest_weight, largest_weight);
}

double Scale::steady_reading(Clock::time_point now) const {
  return std::clamp(std::round(settled_at(now) * 100.0) / 100.0, smallest_weight, largest_weight);
}

std::string Scale::weight_text(double weight) {
  char text[32];
  weight = std::clamp(weight, smallest_weight, largest_weight);
  if (std::fabs(weight) < 0.005) weight = 0.0;  // never "-0.00"
  std::snprintf(text, sizeof text, "%8.2f", weight);
  return text;
}

}  // namespace vekxsim

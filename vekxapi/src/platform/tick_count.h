// Windows' tick count carried on into a clock that does not wrap. The count
// (GetTickCount: milliseconds since the system started) is 32 bits wide and
// returns to 0 every 49.7 days; GetTickCount64 came only with Windows Vista.
// Pure, so that every platform's tests check it.
#ifndef VEKX_TICK_COUNT_H
#define VEKX_TICK_COUNT_H

#include <cstdint>

namespace vekx::platform {

// A count up to this far behind the last reading is one that another
// caller read earlier and handed in later: the clock stays where it is.
inline constexpr std::uint32_t tick_behind_allowance_ms = 60000;

// The clock's reading at tick count `tick`, given its last reading `last`
// (0 before the first): `last` plus the milliseconds the count moved on
// since, modulo 2^32. Readings more than 49.7 days apart lose whole turns
// of the count, but the clock never runs backwards.
constexpr std::uint64_t extended_tick(std::uint64_t last, std::uint32_t tick) {
  if (last == 0) return tick;
  const auto moved = static_cast<std::uint32_t>(tick - static_cast<std::uint32_t>(last));
  if (moved > ~tick_behind_allowance_ms) return last;
  return last + moved;
}

}  // namespace vekx::platform

#endif

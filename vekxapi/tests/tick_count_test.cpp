// The Windows clock's 64-bit reading from the 32-bit tick count: the wrap
// every 49.7 days, a count read late by another caller, and a long pause.
#include <gtest/gtest.h>

#include <cstdint>

#include "platform/tick_count.h"

namespace {

struct Reading {
  const char *what;
  std::uint64_t last;
  std::uint32_t tick;
  std::uint64_t want;
};

constexpr std::uint64_t kTurn = std::uint64_t{1} << 32;

const Reading kReadings[] = {
    {"the first reading is the count", 0, 1234, 1234},
    {"the count moves on", 1000, 1500, 1500},
    {"across the count's wrap the clock goes on", 0xFFFFFF00u, 0x100, kTurn + 0x100},
    {"in the second turn only the low 32 bits of the last reading count", kTurn + 0x100, 0x200, kTurn + 0x200},
    {"a count read earlier by another caller leaves the clock", 5000, 4990, 5000},
    {"so does one from before the wrap", kTurn + 5, 0xFFFFFFF0u, kTurn + 5},
    {"a minute behind is still behind", 100000, 100000 - 60000, 100000},
    {"40 days without a reading move the clock 40 days on", 1000, 1000 + 3456000000u, 1000 + 3456000000ull},
};

TEST(TickCount, ReadingsFollowTheCountWithoutWrappingOrRunningBack) {
  for (const Reading &r : kReadings) {
    EXPECT_EQ(vekx::platform::extended_tick(r.last, r.tick), r.want) << r.what;
  }
}

}  // namespace

// The scratch of one poll tick, created afresh at the start of every tick so
// that nothing carries over from one tick to the next. A one-byte field is
// read with count 1 into a 16-bit word that is 0 beforehand: the byte lands
// in the low half, so the word holds 0 to 255.
#ifndef KTRV_TICK_SCRATCH_H
#define KTRV_TICK_SCRATCH_H

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

namespace ktrv {

static_assert(std::endian::native == std::endian::little,
              "one-byte reads land in the low half of a 16-bit word only on little-endian machines");

inline constexpr std::size_t kWeightBufferSize = 40;
inline constexpr std::size_t kTextBufferSize = 50;

struct TickScratch {
  std::int16_t selector = 0;
  std::int16_t eventCode = 0;
  std::array<char, kWeightBufferSize> weight{};
  // Shared by the literal and the lower display, not cleared in between.
  std::array<char, kTextBufferSize> text{};
  std::int16_t source = 0;
  std::int16_t terminator = 0;
};

}  // namespace ktrv

#endif

// The colours the console's handlers paint with, as 0xRRGGBB.
#ifndef KTRV_COLOURS_H
#define KTRV_COLOURS_H

#include <cstdint>

namespace ktrv {

inline constexpr std::uint32_t kRed = 0xFF0000;
inline constexpr std::uint32_t kGreen = 0x00FF00;
inline constexpr std::uint32_t kBlue = 0x0000FF;
inline constexpr std::uint32_t kWhite = 0xFFFFFF;

}  // namespace ktrv

#endif

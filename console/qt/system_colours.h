// The four system colours the window uses, by their index. The console has
// no system colour scheme of its own to ask, so it uses the usual defaults of
// the classic desktop scheme.
#ifndef KTRV_SYSTEM_COLOURS_H
#define KTRV_SYSTEM_COLOURS_H

#include <array>
#include <cstdint>
#include <optional>

namespace ktrv {

struct SystemColour {
  std::uint32_t index;
  std::uint32_t rgb;  // 0xRRGGBB
  const char *meaning;
};

inline constexpr std::array kSystemColours{
    SystemColour{1, 0x3A6EA5, "desktop"},
    SystemColour{11, 0xD4D0C8, "inactive border"},
    SystemColour{18, 0x000000, "button text"},
    SystemColour{20, 0xFFFFFF, "3-D highlight"},
};

// The RGB value of a system colour; nothing for an index the table lacks.
constexpr std::optional<std::uint32_t> systemColourRgb(std::uint32_t index) {
  for (const SystemColour &c : kSystemColours) {
    if (c.index == index) return c.rgb;
  }
  return std::nullopt;
}

}  // namespace ktrv

#endif

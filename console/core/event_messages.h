// What MessageFromKtrv shows for each event code the KTRV device posts.
#ifndef KTRV_EVENT_MESSAGES_H
#define KTRV_EVENT_MESSAGES_H

#include <array>
#include <cstdint>

#include "colours.h"

namespace ktrv {

struct EventMessage {
  std::int16_t code;
  const char *text;
  std::uint32_t background;  // 0xRRGGBB
};

inline constexpr std::array kEventMessages{
    EventMessage{54, "POWER UP !", kGreen},      EventMessage{102, "Scale at 0", kBlue},
    EventMessage{104, "OK To Weigh", kGreen},    EventMessage{105, "Barriers Closed", kBlue},
    EventMessage{108, "KTRV Reset", kRed},       EventMessage{109, "Sequence Error", kRed},
    EventMessage{110, "Weigh Complete", kGreen},
};
inline constexpr EventMessage kUnknownEvent{0, "Unknown Command", kRed};

constexpr EventMessage eventMessageFor(std::int16_t code) {
  for (const EventMessage &m : kEventMessages) {
    if (m.code == code) return m;
  }
  return kUnknownEvent;
}

}  // namespace ktrv

#endif

// What MessageFromKtrv shows for each event code the KTRV device posts.
#ifndef KTRV_EVENT_MESSAGES_H
#define KTRV_EVENT_MESSAGES_H

#include <array>
#include <cstdint>

#include "colours.h"
#include "ktrv_codes.h"

namespace ktrv {

struct EventMessage {
  std::int16_t code;
  const char *text;
  std::uint32_t background;  // 0xRRGGBB
};

namespace event = vekx_common::ktrv::event;
inline constexpr std::array kEventMessages{
    EventMessage{event::power_up, "POWER UP !", kGreen},
    EventMessage{event::scale_at_zero, "Scale at 0", kBlue},
    EventMessage{event::ok_to_weigh, "OK To Weigh", kGreen},
    EventMessage{event::barriers_closed, "Barriers Closed", kBlue},
    EventMessage{event::ktrv_reset, "KTRV Reset", kRed},
    EventMessage{event::sequence_error, "Sequence Error", kRed},
    EventMessage{event::weigh_complete, "Weigh Complete", kGreen},
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

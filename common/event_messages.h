// What the console's MessageFromKtrv shows for each event code the KTRV
// device posts, on which background; the simulator's web panel shows the
// same words and colours.
#ifndef VEKX_COMMON_EVENT_MESSAGES_H
#define VEKX_COMMON_EVENT_MESSAGES_H

#include <array>
#include <cstdint>

#include "ktrv_codes.h"

namespace vekx_common::ktrv {

// The backgrounds of the event messages, 0xRRGGBB.
namespace event_colour {
inline constexpr std::uint32_t red = 0xFF0000;
inline constexpr std::uint32_t green = 0x00FF00;
inline constexpr std::uint32_t blue = 0x0000FF;
}  // namespace event_colour

struct EventMessage {
  std::int16_t code;
  const char *text;
  std::uint32_t background;  // 0xRRGGBB
};

inline constexpr std::array event_messages{
    EventMessage{event::power_up, "POWER UP !", event_colour::green},
    EventMessage{event::scale_at_zero, "Scale at 0", event_colour::blue},
    EventMessage{event::ok_to_weigh, "OK To Weigh", event_colour::green},
    EventMessage{event::barriers_closed, "Barriers Closed", event_colour::blue},
    EventMessage{event::ktrv_reset, "KTRV Reset", event_colour::red},
    EventMessage{event::sequence_error, "Sequence Error", event_colour::red},
    EventMessage{event::weigh_complete, "Weigh Complete", event_colour::green},
};
inline constexpr EventMessage unknown_event{0, "Unknown Command", event_colour::red};

constexpr EventMessage event_message_for(std::int16_t code) {
  for (const EventMessage &m : event_messages) {
    if (m.code == code) return m;
  }
  return unknown_event;
}

}  // namespace vekx_common::ktrv

#endif

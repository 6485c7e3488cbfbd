// The fields of the KTRV application program, by their own names on the
// node (the "/t1/" prefix is added for the node served), and what they hold.
#ifndef VEKXSIM_KTRV_FIELDS_H
#define VEKXSIM_KTRV_FIELDS_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ktrv_codes.h"

namespace vekxsim::ktrv {

inline constexpr std::string_view weight_selector = "vek15";  // 0/1: wt101 shown, else wt501
inline constexpr std::string_view weight_1 = "wt101";
inline constexpr std::string_view weight_5 = "wt501";
inline constexpr std::string_view command_mailbox = "bx297";
inline constexpr std::string_view event_mailbox = "bx298";
inline constexpr std::string_view literal = "Lit50";
inline constexpr std::string_view literal_source = "bx251";      // 0 keyboard, 1 serial port
inline constexpr std::string_view literal_terminator = "bx252";  // key code that ended a keyed entry
inline constexpr std::string_view display_text_1 = "Lit01";      // display lines 1 and 2 (40 bytes)
inline constexpr std::string_view display_text_2 = "Lit02";      // display line 3 (20 bytes)
inline constexpr std::string_view lower_display = "bd001";

// Forcing fields of outputs 1 to 12; bx201 doubles as the display
// commands' parameter byte.
inline constexpr std::array<std::string_view, 12> output_fields = {
    "bx201", "bx202", "bx203", "bx204", "bx205", "bx206", "bx207", "bx208", "bx209", "bx210", "bx211", "bx212"};
// Inputs 1 to 12 as the console's indicators In1..In12 show them.
inline constexpr std::array<std::string_view, 12> input_fields = {"p_100", "p_101", "p_102", "p_103", "p_108", "p_109",
                                                                  "p_10a", "p_10b", "p_10c", "p_10d", "p_10e", "p_10f"};

// Sizes of the text fields. Texts are NUL-filled fixed buffers except the
// lower display, which is space-filled like a real display line.
inline constexpr std::size_t weight_field_bytes = 16;
inline constexpr std::size_t literal_field_bytes = 48;
inline constexpr std::size_t lower_display_bytes = 50;
inline constexpr std::size_t display_line_chars = 20;

// The mailboxes' codes and the forcing values.
namespace command = vekx_common::ktrv::command;
namespace event = vekx_common::ktrv::event;
using vekx_common::ktrv::force_off;
using vekx_common::ktrv::force_on;

}  // namespace vekxsim::ktrv

#endif

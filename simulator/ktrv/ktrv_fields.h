// The fields of the KTRV application program, by their own names on the
// node (the "/t1/" prefix is added for the node served), and what they hold.
#ifndef VEKXSIM_KTRV_FIELDS_H
#define VEKXSIM_KTRV_FIELDS_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

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

// Command codes of the command mailbox.
namespace command {
inline constexpr std::uint8_t single_line = 1;
inline constexpr std::uint8_t four_line = 2;
inline constexpr std::uint8_t flush_buffer = 12;
inline constexpr std::uint8_t apply_forcing = 14;
inline constexpr std::uint8_t clear_forcing = 15;
inline constexpr std::uint8_t transaction_complete = 107;
inline constexpr std::uint8_t ktrv_reset = 108;
// The mailbox reads this while a command has not been taken yet.
inline constexpr std::uint8_t pending = 255;
}  // namespace command

// Event codes of the event mailbox.
namespace event {
inline constexpr std::uint8_t literal = 51;
inline constexpr std::uint8_t power_up = 54;
inline constexpr std::uint8_t scale_at_zero = 102;
inline constexpr std::uint8_t ok_to_weigh = 104;
inline constexpr std::uint8_t barriers_closed = 105;
inline constexpr std::uint8_t ktrv_reset = 108;
inline constexpr std::uint8_t sequence_error = 109;
inline constexpr std::uint8_t weigh_complete = 110;
}  // namespace event

// Values of a forcing field.
inline constexpr std::uint8_t force_off = 1;
inline constexpr std::uint8_t force_on = 2;

}  // namespace vekxsim::ktrv

#endif

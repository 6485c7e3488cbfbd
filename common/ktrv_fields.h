// The fields of the KTRV application program on its terminal node: their
// names, what they hold and their sizes, as the console reads and writes
// them and the simulated terminal serves them. The names are node 1's,
// "/t1/...", the node the console talks to; a terminal serving another node
// has the same fields under its own node character (own_name()).
#ifndef VEKX_COMMON_KTRV_FIELDS_H
#define VEKX_COMMON_KTRV_FIELDS_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ktrv_codes.h"

namespace vekx_common::ktrv::field {

// The weight as "%8.2f" text in two fields, and the selector that says which
// of them the PC shows.
inline constexpr const char *weight_selector = "/t1/vek15";
inline constexpr const char *weight_1 = "/t1/wt101";  // shown for selector 0 or 1
inline constexpr const char *weight_5 = "/t1/wt501";  // shown for selector 2 to 255
inline constexpr std::uint8_t highest_selector_of_weight_1 = 1;
inline constexpr std::size_t weight_bytes = 16;  // the text filled up with zero bytes

// The two mailboxes; ktrv_codes.h has their codes.
inline constexpr const char *command_mailbox = "/t1/bx297";
inline constexpr const char *event_mailbox = "/t1/bx298";

// Event 51's literal, where it came from, and the key that ended a keyed one.
inline constexpr const char *literal = "/t1/Lit50";
inline constexpr const char *literal_source = "/t1/bx251";
inline constexpr const char *literal_terminator = "/t1/bx252";
inline constexpr std::size_t literal_bytes = 48;  // the text filled up with zero bytes
enum class LiteralSource : std::uint8_t { keyboard = 0, serial_port = 1 };

// The display lines that commands 1 and 2 take: lines 1 and 2 as one block,
// line 3 alone.
inline constexpr const char *display_lines_12 = "/t1/Lit01";
inline constexpr const char *display_line_3 = "/t1/Lit02";
inline constexpr std::size_t display_line_length = 20;
inline constexpr std::size_t display_block_length = 2 * display_line_length;

// The lower display, filled up with spaces like a real display line.
inline constexpr const char *lower_display = "/t1/bd001";
inline constexpr std::size_t lower_display_length = 50;

// Inputs 1 to 12 in the order the console's In1..In12 show them: p_103 is
// followed by p_108.
inline constexpr std::array<const char *, 12> inputs{
    "/t1/p_100", "/t1/p_101", "/t1/p_102", "/t1/p_103", "/t1/p_108", "/t1/p_109",
    "/t1/p_10a", "/t1/p_10b", "/t1/p_10c", "/t1/p_10d", "/t1/p_10e", "/t1/p_10f",
};

// The forcing fields of outputs 1 to 12 (force_off, force_on; command 14
// applies them).
inline constexpr std::array<const char *, 12> outputs{
    "/t1/bx201", "/t1/bx202", "/t1/bx203", "/t1/bx204", "/t1/bx205", "/t1/bx206",
    "/t1/bx207", "/t1/bx208", "/t1/bx209", "/t1/bx210", "/t1/bx211", "/t1/bx212",
};
// Output 1's forcing field is also the display commands' parameter byte.
inline constexpr const char *display_parameter = outputs[0];

// A field's own name, without the node: "bx297" for "/t1/bx297".
constexpr std::string_view own_name(std::string_view node_1_name) {
  return node_1_name.substr(std::string_view("/t1/").size());
}

}  // namespace vekx_common::ktrv::field

#endif

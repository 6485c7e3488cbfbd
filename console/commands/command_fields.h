// The command mailbox, its codes, and the fields the commands write first.
#ifndef KTRV_COMMAND_FIELDS_H
#define KTRV_COMMAND_FIELDS_H

#include <array>
#include <cstdint>

namespace ktrv::commands {

inline constexpr const char *kCommandMailboxField = "/t1/bx297";
inline constexpr const char *kEventMailboxField = "/t1/bx298";
// The terminal leaves this in the mailbox until it has taken the command.
inline constexpr std::uint8_t kCommandNotYetTaken = 255;
inline constexpr std::int16_t kMailboxPollPauseMs = 100;

namespace code {
inline constexpr std::uint8_t single_display_line = 1;
inline constexpr std::uint8_t four_line_display = 2;
inline constexpr std::uint8_t flush_buffer = 12;
inline constexpr std::uint8_t output_forcing = 14;
inline constexpr std::uint8_t clear_forcing = 15;
inline constexpr std::uint8_t transaction_complete = 107;
inline constexpr std::uint8_t ktrv_reset = 108;
}  // namespace code

inline constexpr std::array<const char *, 12> kOutputFields{
    "/t1/bx201", "/t1/bx202", "/t1/bx203", "/t1/bx204", "/t1/bx205", "/t1/bx206",
    "/t1/bx207", "/t1/bx208", "/t1/bx209", "/t1/bx210", "/t1/bx211", "/t1/bx212",
};
inline constexpr std::uint8_t kOutputReleased = 1;  // box unticked; Clear Outputs
inline constexpr std::uint8_t kOutputForced = 2;    // box ticked

inline constexpr const char *kDisplayLines12Field = "/t1/Lit01";
inline constexpr const char *kDisplayLine3Field = "/t1/Lit02";
// The display commands share output 1's field for their parameter.
inline constexpr const char *kDisplayParameterField = "/t1/bx201";
inline constexpr std::uint8_t kFourLineParameter = 120;
inline constexpr std::uint8_t kSingleLineParameter = 40;
inline constexpr int kDisplayLineLength = 20;
inline constexpr int kDisplayBlockLength = 40;
inline constexpr std::uint8_t kAcknowledged = 0;

}  // namespace ktrv::commands

#endif

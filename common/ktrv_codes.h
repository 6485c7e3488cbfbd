// The codes that cross the KTRV application's two mailboxes and its forcing
// fields, as the console posts them and the simulated terminal takes them.
#ifndef VEKX_COMMON_KTRV_CODES_H
#define VEKX_COMMON_KTRV_CODES_H

#include <cstdint>

namespace vekx_common::ktrv {

// Command codes of the command mailbox "/t1/bx297".
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

// Event codes of the event mailbox "/t1/bx298"; 0 is no event.
namespace event {
inline constexpr std::uint8_t none = 0;
inline constexpr std::uint8_t literal = 51;
inline constexpr std::uint8_t power_up = 54;
inline constexpr std::uint8_t scale_at_zero = 102;
inline constexpr std::uint8_t ok_to_weigh = 104;
inline constexpr std::uint8_t barriers_closed = 105;
inline constexpr std::uint8_t ktrv_reset = 108;
inline constexpr std::uint8_t sequence_error = 109;
inline constexpr std::uint8_t weigh_complete = 110;
}  // namespace event

// Values of a forcing field "/t1/bx201".."/t1/bx212".
inline constexpr std::uint8_t force_off = 1;
inline constexpr std::uint8_t force_on = 2;

}  // namespace vekx_common::ktrv

#endif

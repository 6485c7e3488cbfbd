// The status bytes the simulated terminal answers with besides a field's
// own status. A real terminal's status bytes are its own; vekx names these
// only as what the simulator means by them (in result_meanings.txt).
#ifndef VEKX_COMMON_TERMINAL_STATUS_H
#define VEKX_COMMON_TERMINAL_STATUS_H

#include <cstdint>

namespace vekx_common::terminal_status {

inline constexpr std::uint8_t ok = 0;
inline constexpr std::uint8_t no_such_field = 3;  // the terminal has no such field
inline constexpr std::uint8_t other_node = 4;     // field name of another node (or not "/tN/...")
inline constexpr std::uint8_t bad_operation = 5;  // type 4097 with an operation other than 16/18/32/34
inline constexpr std::uint8_t too_large = 6;      // write longer than the field can hold
inline constexpr std::uint8_t store_full = 7;     // write would create one field too many

}  // namespace vekx_common::terminal_status

#endif

// What the console reads of the KTRV program's fields and writes into them,
// beyond the field map itself (ktrv_fields.h): its read counts, the part of
// the lower display it shows, the values it writes, and its names for the
// codes that cross the two mailboxes.
#ifndef KTRV_TERMINAL_FIELDS_H
#define KTRV_TERMINAL_FIELDS_H

#include <cstddef>
#include <cstdint>

#include "ktrv_codes.h"
#include "ktrv_fields.h"

namespace ktrv::fields {

using namespace vekx_common::ktrv::field;

// The console reads 13 characters of the weight and 40 of a literal.
inline constexpr std::int16_t kWeightCount = 13;
inline constexpr std::int16_t kLiteralCount = 40;

// It reads the whole lower display and shows characters 8 to 24.
inline constexpr std::int16_t kLowerDisplayCount = lower_display_length;
inline constexpr std::size_t kLowerDisplayFirst = 7;
inline constexpr std::size_t kLowerDisplayLength = 17;

inline constexpr std::uint8_t kOutputReleased = vekx_common::ktrv::force_off;  // box unticked; Clear Outputs
inline constexpr std::uint8_t kOutputForced = vekx_common::ktrv::force_on;     // box ticked

// The display commands' parameter: four lines or a single one.
inline constexpr std::uint8_t kFourLineParameter = 120;
inline constexpr std::uint8_t kSingleLineParameter = 40;

inline constexpr std::int16_t kOneByte = 1;

}  // namespace ktrv::fields

namespace ktrv::codes {

using namespace vekx_common::ktrv::command;
inline constexpr std::uint8_t kCommandNotYetTaken = vekx_common::ktrv::command::pending;
inline constexpr std::int16_t kNoEvent = vekx_common::ktrv::event::none;
inline constexpr std::int16_t kLiteralEvent = vekx_common::ktrv::event::literal;
inline constexpr std::uint8_t kAcknowledged = vekx_common::ktrv::event::none;

}  // namespace ktrv::codes

#endif

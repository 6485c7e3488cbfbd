// The terminal fields the console reads and writes, the counts it uses, and
// the codes that cross its two mailboxes.
#ifndef KTRV_TERMINAL_FIELDS_H
#define KTRV_TERMINAL_FIELDS_H

#include <array>
#include <cstddef>
#include <cstdint>

#include "ktrv_codes.h"

namespace ktrv::fields {

// Poll: the weight and its selector.
inline constexpr const char *kWeightSelector = "/t1/vek15";
inline constexpr const char *kWeight1 = "/t1/wt101";  // selector 0 or 1
inline constexpr const char *kWeight5 = "/t1/wt501";  // selector 2 to 255
inline constexpr std::int16_t kHighestSelectorOfWeight1 = 1;
inline constexpr std::int16_t kWeightCount = 13;

// The two mailboxes.
inline constexpr const char *kCommandMailbox = "/t1/bx297";
inline constexpr const char *kEventMailbox = "/t1/bx298";

// Event 51's literal, where it came from, and the key that ended it.
inline constexpr const char *kLiteral = "/t1/Lit50";
inline constexpr const char *kLiteralSource = "/t1/bx251";
inline constexpr const char *kTerminator = "/t1/bx252";
inline constexpr std::int16_t kLiteralCount = 40;
enum class LiteralSource : std::int16_t { keyboard = 0, serial_port = 1 };

// The terminal's lower display; LowerDisplay shows characters 8 to 24.
inline constexpr const char *kLowerDisplay = "/t1/bd001";
inline constexpr std::int16_t kLowerDisplayCount = 50;
inline constexpr std::size_t kLowerDisplayFirst = 7;
inline constexpr std::size_t kLowerDisplayLength = 17;

// The twelve inputs, in the order In1..In12 show them.
inline constexpr std::array<const char *, 12> kInputs{
    "/t1/p_100", "/t1/p_101", "/t1/p_102", "/t1/p_103", "/t1/p_108", "/t1/p_109",
    "/t1/p_10a", "/t1/p_10b", "/t1/p_10c", "/t1/p_10d", "/t1/p_10e", "/t1/p_10f",
};

// The twelve outputs' forcing fields; "/t1/bx201" is also the display
// commands' parameter.
inline constexpr std::array<const char *, 12> kOutputs{
    "/t1/bx201", "/t1/bx202", "/t1/bx203", "/t1/bx204", "/t1/bx205", "/t1/bx206",
    "/t1/bx207", "/t1/bx208", "/t1/bx209", "/t1/bx210", "/t1/bx211", "/t1/bx212",
};
inline constexpr std::uint8_t kOutputReleased = vekx_common::ktrv::force_off;  // box unticked; Clear Outputs
inline constexpr std::uint8_t kOutputForced = vekx_common::ktrv::force_on;     // box ticked

// The display lines and their command parameter.
inline constexpr const char *kDisplayLines12 = "/t1/Lit01";
inline constexpr const char *kDisplayLine3 = "/t1/Lit02";
inline constexpr const char *kDisplayParameter = "/t1/bx201";
inline constexpr std::uint8_t kFourLineParameter = 120;
inline constexpr std::uint8_t kSingleLineParameter = 40;
inline constexpr std::size_t kDisplayLineLength = 20;
inline constexpr std::size_t kDisplayBlockLength = 40;

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

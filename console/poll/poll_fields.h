// The terminal fields the poll tick reads, with the counts it reads them with.
#ifndef KTRV_POLL_FIELDS_H
#define KTRV_POLL_FIELDS_H

#include <array>
#include <cstdint>

namespace ktrv::poll {

inline constexpr const char *kWeightSelectorField = "/t1/vek15";
inline constexpr const char *kWeightField1 = "/t1/wt101";  // selector 0 or 1
inline constexpr const char *kWeightField5 = "/t1/wt501";  // selector 2 to 255
inline constexpr std::int16_t kHighestSelectorOfWeight1 = 1;
inline constexpr const char *kEventMailboxField = "/t1/bx298";
inline constexpr const char *kLiteralField = "/t1/Lit50";
inline constexpr const char *kLiteralSourceField = "/t1/bx251";
inline constexpr const char *kTerminatorField = "/t1/bx252";
inline constexpr const char *kLowerDisplayField = "/t1/bd001";

inline constexpr std::array<const char *, 12> kInputFields{
    "/t1/p_100", "/t1/p_101", "/t1/p_102", "/t1/p_103", "/t1/p_108", "/t1/p_109",
    "/t1/p_10a", "/t1/p_10b", "/t1/p_10c", "/t1/p_10d", "/t1/p_10e", "/t1/p_10f",
};

inline constexpr std::int16_t kOneByte = 1;
inline constexpr std::int16_t kWeightCount = 13;
inline constexpr std::int16_t kLiteralCount = 40;
inline constexpr std::int16_t kLowerDisplayCount = 50;

// LowerDisplay shows characters 8 to 24 (counting from 1) of its field.
inline constexpr std::size_t kLowerDisplayFirst = 7;
inline constexpr std::size_t kLowerDisplayLength = 17;

inline constexpr std::int16_t kNoEvent = 0;
inline constexpr std::int16_t kLiteralEvent = 51;

enum class LiteralSource : std::int16_t { keyboard = 0, serial_port = 1 };

}  // namespace ktrv::poll

#endif

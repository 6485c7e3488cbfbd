// Bytes as people type and read them in hex, for the simulator's control
// language and the vekx tool alike.
#ifndef VEKX_COMMON_HEX_BYTES_H
#define VEKX_COMMON_HEX_BYTES_H

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vekx_common {

// "0a ff", "0aff", "0a:ff", "0a,ff" or "0x0a 0xff": groups of hex digits,
// each an even number of them and optionally led by 0x, separated by blanks,
// commas or colons. Nothing when a group has an odd digit count or a
// character that is not a hex digit. An empty text is no bytes.
std::optional<std::vector<std::uint8_t>> parse_hex_bytes(std::string_view text);

// Every byte as two lower-case hex digits, separated by spaces: "0a ff".
std::string hex_text(std::span<const std::uint8_t> bytes);

}  // namespace vekx_common

#endif

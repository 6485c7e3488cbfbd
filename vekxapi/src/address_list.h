// The dotted IPv4 address list that a caller hands over at registration.
#ifndef VEKX_ADDRESS_LIST_H
#define VEKX_ADDRESS_LIST_H

#include <array>
#include <cstdint>

#include "node_select.h"

namespace vekx {

using Address = std::array<std::uint8_t, 4>;  // first number of the text first
using AddressTable = std::array<Address, node_count>;

// Parses one address text that starts at text and runs to the next ',' or
// the end. Digits and dots only, 1 to 3 dots, each part 0..255 (an empty
// part is 0, leading zeros are decimal): "a.b.c.d", "a.b.c" = a.0.b.c,
// "a.b" = a.0.0.b. Returns false when the text breaks a rule.
bool parse_address(const char *text, Address &out);

// Fills table entries 0.. from a comma-separated list, taking at most count
// addresses (and at most 16). Entries are stored as they parse, so on a bad
// address the ones before it stay. Returns false at the first bad address.
// With count 0 or less the list is not read at all.
bool parse_address_list(const char *list, std::int32_t count, AddressTable &table);

}  // namespace vekx

#endif

// Any text and count as an address list: parsing stops at the text's end,
// and an address that parses holds only digits and dots.
#include <string>

#include "address_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  if (size < 1) return 0;
  const std::int32_t count = static_cast<std::int8_t>(data[0]);
  // The library gets zero-terminated text: cut the input at its first NUL.
  const std::string text(reinterpret_cast<const char *>(data + 1), size - 1);
  const std::string c_text = text.substr(0, text.find('\0'));
  vekx::AddressTable table{};
  vekx::parse_address_list(c_text.c_str(), count, table);

  vekx::Address first{};
  if (vekx::parse_address(c_text.c_str(), first)) {
    const std::string address = c_text.substr(0, c_text.find(','));
    if (address.empty() || address.find_first_not_of("0123456789.") != std::string::npos) __builtin_trap();
  }
  return 0;
}

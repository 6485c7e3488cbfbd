#include "display_text.h"

#include <algorithm>

#include "code_page.h"

namespace ktrv {

namespace {
constexpr char32_t kReplacement = 0xFFFD;
}

std::string textForDisplay(std::span<const char> bytes) {
  std::string out;
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b == 0) break;
    const bool control = b < 0x20 || b == 0x7F;
    vekx_common::append_utf8(out, control ? kReplacement : vekx_common::cp1252_character(b));
  }
  return out;
}

std::string textFromBuffer(std::span<const char> buffer, std::int16_t count) {
  const std::size_t n = std::clamp<std::size_t>(count < 0 ? 0 : static_cast<std::size_t>(count), 0, buffer.size());
  return textForDisplay(buffer.first(n));
}

std::string bytesForTerminal(const std::string &utf8) { return vekx_common::cp1252_from_utf8(utf8); }

}  // namespace ktrv

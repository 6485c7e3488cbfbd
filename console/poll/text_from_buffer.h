// Text taken from a read buffer: the first `count` bytes (count taken from
// ReadLength and kept within the buffer, so a stale or odd count can never
// read past it), decoded for display and cut at the first NUL.
#ifndef KTRV_TEXT_FROM_BUFFER_H
#define KTRV_TEXT_FROM_BUFFER_H

#include <QString>

#include <algorithm>
#include <cstdint>
#include <span>

#include "../window/code_page.h"

namespace ktrv {

inline QString textFromBuffer(std::span<const char> buffer, std::int16_t count) {
  const std::size_t n = std::clamp<std::size_t>(count < 0 ? 0 : static_cast<std::size_t>(count), 0, buffer.size());
  return decodeCp1252ForDisplay(buffer.first(n));
}

}  // namespace ktrv

#endif

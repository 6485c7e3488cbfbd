// How an accepted reply's value reaches a reader's buffer.
#ifndef VEKX_REPLY_VALUE_H
#define VEKX_REPLY_VALUE_H

#include <cstdint>
#include <span>

#include "message_record.h"

namespace vekx {

// Copies the value of an accepted reply (the whole 600-byte reply buffer)
// into out, which holds buffer_size >= 0 bytes, and returns the count.
// A value shorter than buffer_size arrives zero-terminated; a longer one is
// cut to buffer_size bytes without terminator. A data_length claiming more
// than the 571 bytes the reply buffer can hold counts as 571, so neither the
// copy nor the count ever reaches past the reply buffer or out.
std::int16_t deliver_value(std::span<const std::uint8_t, reply_buffer_size> reply, std::int16_t buffer_size,
                           std::uint8_t *out);

}  // namespace vekx

#endif

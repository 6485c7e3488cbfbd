// Carries one request to the node its target name selects and, where a reply
// is awaited, waits for the matching one: 100 ms for a socket whose send
// buffer is full to become writable, 500 ms per reply wait, up to 3 attempts.
#ifndef VEKX_EXCHANGE_H
#define VEKX_EXCHANGE_H

#include <cstdint>
#include <span>

#include "message_record.h"
#include "reply_wait.h"

namespace vekx {

inline constexpr int send_wait_us = 100000;
inline constexpr int connect_wait_us = 100000;
inline constexpr int attempts = 3;
// Stray datagrams restart the 500 ms reply wait; this bounds one attempt's
// waiting in all, so that a stream of them cannot hold a call for ever.
inline constexpr std::int64_t attempt_bound_ms = 2000;

// request: the whole record (data_length + 30 bytes), its sequence is set
// here. reply: a 600-byte buffer, or empty for one-way messages.
int exchange(std::span<std::uint8_t> request, std::span<std::uint8_t> reply);

// Closes node index i's socket if it has one and marks it closed.
void close_node(int node_index);

}  // namespace vekx

#endif

// How long the terminal takes to answer, which the library waits for and the
// simulator's replay holds a reply to.
#ifndef VEKX_REPLY_WAIT_H
#define VEKX_REPLY_WAIT_H

namespace vekx {

// The terminal answers a request within 500 ms: the library waits that long
// for each reply, and a request left unanswered that long went unanswered.
inline constexpr int reply_wait_us = 500000;

}  // namespace vekx

#endif

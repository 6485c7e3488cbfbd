#include "exchange.h"

#include <cstring>

#include "module_state.h"
#include "node_select.h"
#include "platform/platform.h"
#include "vekxapi.h"

namespace vekx {

namespace {

int open_node(int index) {
  ModuleState &m = state();
  Node &node = m.nodes[static_cast<std::size_t>(index)];
  const Address &address = m.addresses[static_cast<std::size_t>(index)];
  if (address == Address{}) return VEKX_WSAENOTSOCK;

  platform::Socket s = platform::no_socket;
  if (int err = platform::open_udp(s)) return err;
  node.socket = s;

  int err = platform::bind_to(s, {{}, static_cast<std::uint16_t>(m.local_port_base + index)});
  // The socket stays non-blocking: a send waits for writability only where
  // the send buffer is full (send_request), and a receive follows a wait
  // that found a datagram.
  if (!err) err = platform::set_nonblocking(s);
  if (!err) {
    err = platform::connect_to(s, {address, m.terminal_port});
    if (err == VEKX_WSAEWOULDBLOCK) {
      // Only a failing wait is an error; one that runs out is accepted.
      platform::WaitOutcome w = platform::wait_writable(s, connect_wait_us);
      err = w.state == platform::Wait::failed ? w.error : 0;
    }
  }
  if (err) {
    close_node(index);
    return err;
  }
  node.state = NodeState::open;
  return VEKX_OK;
}

// An open node whose socket still polls is usable, writable or not.
int connection_step(int index) {
  Node &node = state().nodes[static_cast<std::size_t>(index)];
  if (node.state == NodeState::open) {
    if (platform::wait_writable(node.socket, 0).state != platform::Wait::failed) return VEKX_OK;
    close_node(index);
  }
  return open_node(index);
}

// Sends the whole request at once, or, where the send buffer is full, as
// soon as the socket becomes writable within 100 ms. 0, VEKX_NO_ANSWER
// for a send that fails or a socket that stays unwritable, or the error of
// a failing wait.
int send_request(platform::Socket s, std::span<const std::uint8_t> request) {
  long sent = platform::send_datagram(s, request.data(), request.size());
  if (sent < 0 && platform::last_error() == VEKX_WSAEWOULDBLOCK) {
    const platform::WaitOutcome w = platform::wait_writable(s, send_wait_us);
    if (w.state == platform::Wait::failed) return w.error;
    if (w.state == platform::Wait::timed_out) return VEKX_NO_ANSWER;
    sent = platform::send_datagram(s, request.data(), request.size());
  }
  return sent == static_cast<long>(request.size()) ? VEKX_OK : VEKX_NO_ANSWER;
}

enum class ReplyWait { accepted, gave_up, wait_failed };
struct ReplyOutcome {
  ReplyWait how;
  int code;
};

ReplyOutcome await_reply(platform::Socket s, std::span<const std::uint8_t> request, std::span<std::uint8_t> reply) {
  const std::int64_t deadline = platform::now_ms() + attempt_bound_ms;
  int wait_us = reply_wait_us;
  for (;;) {
    platform::WaitOutcome w = platform::wait_readable(s, wait_us);
    if (w.state == platform::Wait::failed) return {ReplyWait::wait_failed, w.error};
    std::memset(reply.data(), 0, reply.size());
    if (w.state == platform::Wait::timed_out) return {ReplyWait::gave_up, VEKX_NO_ANSWER};
    long n = platform::receive_datagram(s, reply.data(), reply.size());
    if (n <= 0) return {ReplyWait::gave_up, VEKX_NO_ANSWER};
    if (is_reply_to(reply, request)) return {ReplyWait::accepted, VEKX_OK};
    // Anything else is ignored and the full 500 ms wait starts again, cut
    // short only by the attempt's overall bound.
    const std::int64_t left_ms = deadline - platform::now_ms();
    if (left_ms <= 0) return {ReplyWait::gave_up, VEKX_NO_ANSWER};
    wait_us = left_ms * 1000 < reply_wait_us ? static_cast<int>(left_ms * 1000) : reply_wait_us;
  }
}

}  // namespace

void close_node(int index) {
  Node &node = state().nodes[static_cast<std::size_t>(index)];
  if (node.socket != platform::no_socket) platform::close_socket(node.socket);
  node.socket = platform::no_socket;
  node.state = NodeState::closed;
}

int exchange(std::span<std::uint8_t> request, std::span<std::uint8_t> reply) {
  const NodeSelection selected = select_node(request);
  if (selected.result != VEKX_OK) return selected.result;
  const int index = selected.node_index;
  ModuleState &m = state();
  const std::size_t size = get_u16(request, offset::data_length) + record_overhead;
  const bool awaits_reply =
      request[offset::reply_mode] != static_cast<std::uint8_t>(ReplyMode::one_way) && !reply.empty();

  for (int attempt = 1;; ++attempt) {
    if (int err = connection_step(index)) {
      close_node(index);
      return err;
    }
    const platform::Socket s = m.nodes[static_cast<std::size_t>(index)].socket;

    request[offset::sequence] = ++m.sequence;  // wraps 255 -> 0

    const int sent = send_request(s, request.first(size));
    if (sent == VEKX_NO_ANSWER) return sent;
    if (sent != VEKX_OK) {  // the wait for writability failed
      close_node(index);
      return sent;
    }
    if (!awaits_reply) return VEKX_OK;

    ReplyOutcome r = await_reply(s, request, reply);
    if (r.how == ReplyWait::accepted) return VEKX_OK;
    if (attempt >= attempts) {
      if (r.how == ReplyWait::wait_failed) close_node(index);
      return r.code;
    }
  }
}

}  // namespace vekx

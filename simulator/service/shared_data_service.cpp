#include "shared_data_service.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <deque>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "datagram_check.h"
#include "service_limits.h"
#include "result_meanings.h"
#include "traffic_line.h"
#include "vekx_wire.h"

namespace vekxsim {

namespace {

namespace platform = vekx::platform;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

// How long the receive loop waits at most, so that a held-back reply goes
// out on time.
constexpr auto loop_tick = std::chrono::milliseconds(50);
constexpr int datagrams_per_pass = 256;

class SocketsCategory : public std::error_category {
 public:
  const char *name() const noexcept override { return "Windows Sockets"; }
  std::string message(int number) const override {
    return std::string(vekx_common::sockets_error_words(number)) + " (" + std::to_string(number) + ")";
  }
};

struct QueuedSend {
  Clock::time_point due;
  Bytes bytes;
  platform::Endpoint to;
};

Bytes make_reply(std::span<const std::uint8_t> request, std::uint8_t status, const Bytes &value) {
  Bytes reply(vekx::record_overhead + value.size(), 0);
  reply[vekx::offset::reply_mode] = static_cast<std::uint8_t>(vekx::ReplyMode::awaits_reply);
  reply[vekx::offset::marker] = vekx::marker_value;
  vekx::put_u16(reply, vekx::offset::message_type, vekx::get_u16(request, vekx::offset::message_type));
  // The reply comes from the field: source_name is the request's target.
  std::memcpy(&reply[vekx::offset::source_name], &request[vekx::offset::target_name], vekx::name_slot_size);
  std::memcpy(&reply[vekx::offset::target_name], &request[vekx::offset::source_name], vekx::name_slot_size);
  reply[vekx::offset::operation] = request[vekx::offset::operation];
  reply[vekx::offset::status] = status;
  reply[vekx::offset::sequence] = request[vekx::offset::sequence];
  vekx::put_u16(reply, vekx::offset::data_length, static_cast<std::uint16_t>(value.size()));
  std::copy(value.begin(), value.end(), reply.begin() + vekx::offset::data);
  return reply;
}

// The address to listen on that text names: one address, not a list.
std::optional<vekx::Address> listen_address_in(const std::string &text) {
  vekx::Address address{};
  if (text.find(',') != std::string::npos || !vekx::parse_address(text.c_str(), address)) return std::nullopt;
  return address;
}

}  // namespace

bool is_listen_address(const std::string &text) { return listen_address_in(text).has_value(); }

const std::error_category &sockets_category() {
  static const SocketsCategory category;
  return category;
}

struct SharedDataService::Impl {
  Impl(const std::string &listen_address, std::uint16_t port, int node_number) : node(node_number) {
    if (node < 1 || node > limits::highest_node)
      throw std::invalid_argument("node must be 1 to " + std::to_string(limits::highest_node));
    const std::optional<vekx::Address> address = listen_address_in(listen_address);
    if (!address) throw std::invalid_argument("not an IPv4 address: " + listen_address);
    if (int err = platform::startup()) throw std::system_error(err, sockets_category(), "sockets layer");
    int err = platform::open_udp(socket);
    if (!err) err = platform::set_nonblocking(socket);
    if (!err) err = platform::bind_to(socket, {*address, port});
    if (!err) err = platform::local_endpoint(socket, bound);
    if (err) {
      release();
      throw std::system_error(err, sockets_category(), "bind " + listen_address + ":" + std::to_string(port));
    }
  }
  ~Impl() { release(); }
  Impl(const Impl &) = delete;
  Impl &operator=(const Impl &) = delete;

  void release() {
    if (socket != platform::no_socket) platform::close_socket(socket);
    socket = platform::no_socket;
    platform::cleanup();
  }

  // Where stop() sends its wake-up datagram: the bound address, or loopback
  // when the service listens on every interface.
  platform::Endpoint self() const {
    platform::Endpoint e = bound;
    if (e.address == decltype(e.address){}) e.address = {127, 0, 0, 1};
    return e;
  }

  void log(const std::string &line) {
    std::lock_guard lock(log_mutex);
    if (log_sink) log_sink(line);
  }

  void record(bool inbound, const platform::Endpoint &peer, std::span<const std::uint8_t> bytes,
              std::size_t real_size) {
    TrafficRecord rec{Clock::now(), inbound, peer.port, Bytes(bytes.begin(), bytes.end()), real_size, peer.address};
    {
      std::lock_guard lock(log_mutex);
      if (log_sink) log_sink(traffic_line(rec, std::chrono::system_clock::now()));
    }
    traffic.add(std::move(rec));
  }

  void send_now(const Bytes &bytes, const platform::Endpoint &to) {
    // Recorded before it goes, so that whoever has received a reply finds
    // it in the traffic record already.
    record(false, to, bytes, bytes.size());
    if (platform::send_to(socket, bytes.data(), bytes.size(), to) < 0)
      log(std::string("send failed: ") + sockets_category().message(platform::last_error()));
  }

  void send_reply(Bytes reply, const platform::Endpoint &to) {
    FaultPlan::Outgoing out = faults.shape(std::move(reply));
    if (!out.note.empty()) log(out.note);
    for (Bytes &bytes : out.datagrams) {
      if (out.delay.count() > 0)
        queued.push_back({Clock::now() + out.delay, std::move(bytes), to});
      else
        send_now(bytes, to);
    }
  }

  void send_due() {
    const auto now = Clock::now();
    while (!queued.empty() && queued.front().due <= now) {
      send_now(queued.front().bytes, queued.front().to);
      queued.pop_front();
    }
  }

  bool names_our_node(const std::uint8_t *slot) const {
    return slot[0] == '/' && (slot[1] == 't' || slot[1] == 'T') &&
           slot[2] == static_cast<std::uint8_t>(vekx::node_character(node - 1));
  }

  void handle(std::span<const std::uint8_t> kept, std::size_t real_size, const platform::Endpoint &from) {
    record(true, from, kept, real_size);
    if (std::string reason = malformed_reason(kept, real_size); !reason.empty()) {
      log("ignored: " + reason);
      return;
    }
    const std::string name = vekx::get_name(kept, vekx::offset::target_name);
    // Display, keystroke and unknown types are never answered.
    if (vekx::get_u16(kept, vekx::offset::message_type) != vekx::message_type::field_access) {
      if (FieldStore::key(name) == vekx::display_object_name(node - 1).data()) display.take(kept);
      return;
    }

    const std::uint8_t operation = kept[vekx::offset::operation];
    if (!names_our_node(&kept[vekx::offset::target_name])) {
      send_reply(make_reply(kept, status::other_node, {}), from);
      return;
    }
    if (operation == vekx::operation::read || operation == vekx::operation::formatted_read) {
      std::optional<FieldStore::Answer> answer;
      {
        std::lock_guard lock(hook_mutex);
        if (read_hook) read_hook(FieldStore::key(name));
        answer = answerer ? answerer(FieldStore::key(name), false) : fields.read(name);
      }
      if (!answer) {
        log("read of " + FieldStore::key(name) + " left unanswered on purpose");
        return;
      }
      send_reply(make_reply(kept, answer->status, answer->value), from);
      return;
    }
    if (operation == vekx::operation::write || operation == vekx::operation::formatted_write) {
      if (std::lock_guard lock(hook_mutex); answerer) {
        const auto answer = answerer(FieldStore::key(name), true);
        if (answer) send_reply(make_reply(kept, answer->status, {}), from);
        return;
      }
      const std::size_t length = vekx::get_u16(kept, vekx::offset::data_length);
      // A datagram that was too long to keep whole brings no value.
      const auto value =
          real_size == kept.size() ? kept.subspan(vekx::offset::data, length) : std::span<const std::uint8_t>();
      const FieldStore::WriteOutcome outcome = fields.write(name, value, length);
      if (outcome.applied) {
        std::lock_guard lock(hook_mutex);
        if (write_hook) write_hook(FieldStore::key(name), Bytes(value.begin(), value.end()));
      }
      send_reply(make_reply(kept, outcome.status, {}), from);
      return;
    }
    send_reply(make_reply(kept, status::bad_operation, {}), from);
  }

  void receive_all() {
    std::uint8_t buffer[limits::recorded_datagram_bytes];
    // A few at a time, so that held-back replies and stop() are not starved
    // by a client that never pauses.
    for (int i = 0; i < datagrams_per_pass && running.load(); ++i) {
      platform::Endpoint from;
      const long n = platform::receive_from(socket, buffer, sizeof buffer, from);
      if (n < 0) return;  // nothing more waiting
      const auto real = static_cast<std::size_t>(n);
      // stop()'s wake-up datagram is no traffic.
      if (real == 0 && from.port == bound.port && !running.load()) return;
      handle(std::span<const std::uint8_t>(buffer, std::min(real, sizeof buffer)), real, from);
    }
  }

  void loop() {
    while (running.load()) {
      auto timeout = loop_tick;
      if (!queued.empty()) {
        const auto until = std::chrono::ceil<std::chrono::milliseconds>(queued.front().due - Clock::now());
        timeout = std::clamp(until, std::chrono::milliseconds(0), loop_tick);
      }
      const platform::WaitOutcome w =
          platform::wait_readable(socket, static_cast<int>(std::chrono::microseconds(timeout).count()));
      if (!running.load()) break;
      send_due();
      if (w.state == platform::Wait::ready) receive_all();
    }
  }

  const int node;
  platform::Socket socket = platform::no_socket;
  platform::Endpoint bound;

  FieldStore fields;
  FaultPlan faults;
  TrafficRecorder traffic;
  DisplayObject display;

  // Held while a hook runs, so that replacing a hook waits for it.
  std::mutex hook_mutex;
  WriteHook write_hook;
  ReadHook read_hook;
  Answerer answerer;

  std::mutex log_mutex;
  std::function<void(const std::string &)> log_sink;

  // start() and stop() one at a time.
  std::mutex lifecycle_mutex;
  std::thread thread;
  std::atomic<bool> running{false};
  // Replies held back by a reply delay; touched by the loop thread only.
  std::deque<QueuedSend> queued;
};

SharedDataService::SharedDataService(const std::string &listen_address, std::uint16_t port, int node)
    : impl_(std::make_unique<Impl>(listen_address, port, node)) {}

SharedDataService::~SharedDataService() { stop(); }

std::uint16_t SharedDataService::port() const { return impl_->bound.port; }
int SharedDataService::node() const { return impl_->node; }

void SharedDataService::start() {
  std::lock_guard lock(impl_->lifecycle_mutex);
  if (impl_->thread.joinable()) return;
  impl_->running = true;
  impl_->thread = std::thread([impl = impl_.get()] { impl->loop(); });
}

void SharedDataService::stop() {
  std::lock_guard lock(impl_->lifecycle_mutex);
  if (!impl_->thread.joinable()) return;
  impl_->running = false;
  // Wakes the loop at once rather than at the end of its current wait.
  platform::send_to(impl_->socket, nullptr, 0, impl_->self());
  impl_->thread.join();
  impl_->queued.clear();
  // Whatever arrived meanwhile, the wake-up datagram among it, is not
  // answered after a restart.
  std::uint8_t drain[limits::recorded_datagram_bytes];
  platform::Endpoint from;
  while (platform::receive_from(impl_->socket, drain, sizeof drain, from) >= 0) {
  }
}

FieldStore &SharedDataService::fields() { return impl_->fields; }
const FieldStore &SharedDataService::fields() const { return impl_->fields; }
FaultPlan &SharedDataService::faults() { return impl_->faults; }
TrafficRecorder &SharedDataService::traffic() { return impl_->traffic; }
const TrafficRecorder &SharedDataService::traffic() const { return impl_->traffic; }
const DisplayObject &SharedDataService::display() const { return impl_->display; }
DisplayObject &SharedDataService::display() { return impl_->display; }

void SharedDataService::on_write(WriteHook hook) {
  std::lock_guard lock(impl_->hook_mutex);
  impl_->write_hook = std::move(hook);
}

void SharedDataService::on_read(ReadHook hook) {
  std::lock_guard lock(impl_->hook_mutex);
  impl_->read_hook = std::move(hook);
}

void SharedDataService::answer_from(Answerer answerer) {
  std::lock_guard lock(impl_->hook_mutex);
  impl_->answerer = std::move(answerer);
}

void SharedDataService::send_stray(const std::vector<std::uint8_t> &datagram, std::uint16_t to_port) {
  impl_->send_now(datagram, {{127, 0, 0, 1}, to_port});
}

void SharedDataService::set_log(std::function<void(const std::string &line)> sink) {
  std::lock_guard lock(impl_->log_mutex);
  impl_->log_sink = std::move(sink);
}

}  // namespace vekxsim

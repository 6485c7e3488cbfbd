#include "shared_data_service.h"

#if defined(_WIN32)
#  include <winsock2.h>
#  include <ws2tcpip.h>
#else
#  include <arpa/inet.h>
#  include <fcntl.h>
#  include <netinet/in.h>
#  include <poll.h>
#  include <sys/socket.h>
#  include <unistd.h>
#endif

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "datagram_check.h"
#include "message_record.h"
#include "service_limits.h"
#include "traffic_line.h"

namespace vekxsim {

namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

// The library's tests also run on Windows: the few socket differences live here.
#if defined(_WIN32)
using SocketHandle = SOCKET;
constexpr SocketHandle no_socket = INVALID_SOCKET;
int last_socket_error() { return ::WSAGetLastError(); }
std::string socket_error_text(int err) { return "Windows Sockets error " + std::to_string(err); }
void close_socket(SocketHandle s) { ::closesocket(s); }
const std::error_category &socket_errors() { return std::system_category(); }
#else
using SocketHandle = int;
constexpr SocketHandle no_socket = -1;
int last_socket_error() { return errno; }
std::string socket_error_text(int err) { return std::strerror(err); }
void close_socket(SocketHandle s) { ::close(s); }
const std::error_category &socket_errors() { return std::generic_category(); }
#endif

// How long the receive loop sleeps at most, so that stop() is prompt even if
// the wake-up byte were lost.
constexpr auto loop_tick = std::chrono::milliseconds(50);

struct Field {
  Bytes value;
  std::uint8_t status = 0;
  bool silent = false;
};

struct QueuedSend {
  Clock::time_point due;
  Bytes bytes;
  sockaddr_in to;
};

std::string field_key(const std::string &name) {
  std::string key = name.substr(0, vekx::name_slot_size);
  // The node letter is accepted in either case; store it in one.
  if (key.size() > 1 && key[1] == 'T') key[1] = 't';
  return key;
}

std::string slot_key(const std::uint8_t *slot) {
  std::string name;
  for (std::size_t i = 0; i < vekx::name_slot_size && slot[i] != 0; ++i) name.push_back(static_cast<char>(slot[i]));
  return field_key(name);
}

}  // namespace

struct SharedDataService::Impl {
  // Gives back the socket, the wake-up pipe and the sockets layer.
  void release() {
    close_socket(fd);
#if defined(_WIN32)
    ::WSACleanup();
#else
    ::close(wake_read);
    ::close(wake_write);
#endif
  }

  SocketHandle fd = no_socket;
  int wake_read = -1;  // the wake-up pipe; none under Windows
  int wake_write = -1;
  std::uint16_t port = 0;
  int node = 1;
  std::thread thread;
  std::atomic<bool> running{false};

  // Fields, hooks and faults.
  mutable std::mutex mutex;
  std::map<std::string, Field> fields;
  std::function<void(const std::string &, const Bytes &)> write_hook;
  std::function<void(const std::string &)> read_hook;
  bool silent = false;
  std::chrono::milliseconds reply_delay{0};
  int drop_count = 0;
  std::deque<Decoy> decoys;
  std::optional<std::size_t> oversize;
  std::optional<std::uint16_t> claimed_length;

  // Traffic record.
  mutable std::mutex traffic_mutex;
  mutable std::condition_variable traffic_changed;
  std::deque<TrafficRecord> traffic;
  std::size_t inbound_count = 0;

  std::mutex log_mutex;
  std::function<void(const std::string &)> log_sink;

  // Replies held back by a reply delay; touched by the loop thread only.
  std::deque<QueuedSend> queued;

  void log(const std::string &line) {
    std::lock_guard lock(log_mutex);
    if (log_sink) log_sink(line);
  }

  void record(bool inbound, std::uint16_t peer_port, Bytes bytes, std::size_t real_size) {
    TrafficRecord rec{Clock::now(), inbound, peer_port, std::move(bytes)};
    std::string line;
    {
      std::lock_guard lock(log_mutex);
      if (log_sink) {
        line = traffic_line(rec, std::chrono::system_clock::now());
        if (real_size > rec.bytes.size())
          line += " (" + std::to_string(real_size) + " bytes received, first " + std::to_string(rec.bytes.size()) +
                  " kept)";
      }
    }
    {
      std::lock_guard lock(traffic_mutex);
      traffic.push_back(std::move(rec));
      if (traffic.size() > limits::traffic_records) traffic.pop_front();
      if (inbound) ++inbound_count;
    }
    traffic_changed.notify_all();
    if (!line.empty()) log(line);
  }

  void send_now(const Bytes &bytes, const sockaddr_in &to) {
    // Recorded before it goes, so that whoever has received a reply finds
    // it in the traffic record already.
    record(false, ntohs(to.sin_port), bytes, bytes.size());
    const auto sent = ::sendto(fd, reinterpret_cast<const char *>(bytes.data()), static_cast<int>(bytes.size()), 0,
                               reinterpret_cast<const sockaddr *>(&to), sizeof to);
    if (sent < 0) log("send failed: " + socket_error_text(last_socket_error()));
  }

  // Applies the fault settings to one reply and sends it (or queues it).
  void send_reply(Bytes reply, const sockaddr_in &to) {
    std::vector<Bytes> out;
    std::chrono::milliseconds delay{0};
    {
      std::lock_guard lock(mutex);
      if (silent) return;
      if (drop_count > 0) {
        --drop_count;
        log("reply dropped on purpose (" + std::to_string(drop_count) + " more to drop)");
        return;
      }
      for (Decoy d : decoys) {
        Bytes decoy = reply;
        switch (d) {
          case Decoy::wrong_type:
            vekx::put_u16(decoy, vekx::offset::message_type, 4096);
            break;
          case Decoy::wrong_sequence:
            --decoy[vekx::offset::sequence];
            break;
          case Decoy::wrong_name:
            vekx::put_name(decoy, vekx::offset::source_name, "/t1/zzzzz");
            break;
        }
        out.push_back(std::move(decoy));
      }
      decoys.clear();
      if (claimed_length) vekx::put_u16(reply, vekx::offset::data_length, *claimed_length);
      if (oversize && *oversize > reply.size()) reply.resize(*oversize, 0);
      claimed_length.reset();
      oversize.reset();
      delay = reply_delay;
    }
    out.push_back(std::move(reply));
    for (Bytes &bytes : out) {
      if (delay.count() > 0)
        queued.push_back({Clock::now() + delay, std::move(bytes), to});
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

  static Bytes make_reply(std::span<const std::uint8_t> request, std::uint8_t status, const Bytes &value) {
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

  bool names_our_node(const std::uint8_t *slot) const {
    return slot[0] == '/' && (slot[1] == 't' || slot[1] == 'T') && slot[2] == '0' + node;
  }

  void handle(std::span<const std::uint8_t> datagram, std::size_t real_size, const sockaddr_in &from) {
    const Bytes kept(datagram.begin(), datagram.end());
    record(true, ntohs(from.sin_port), kept, real_size);
    if (std::string reason = malformed_reason(datagram, real_size); !reason.empty()) {
      log("ignored: " + reason);
      return;
    }
    const std::uint16_t type = vekx::get_u16(datagram, vekx::offset::message_type);
    if (type != vekx::message_type::field_access) return;  // display, keystroke and unknown: never answered

    const std::uint8_t operation = datagram[vekx::offset::operation];
    const std::uint16_t length = vekx::get_u16(datagram, vekx::offset::data_length);
    const std::string name = slot_key(&datagram[vekx::offset::target_name]);
    const bool is_read = operation == vekx::operation::read || operation == vekx::operation::formatted_read;
    const bool is_write = operation == vekx::operation::write || operation == vekx::operation::formatted_write;

    if (!names_our_node(&datagram[vekx::offset::target_name])) {
      send_reply(make_reply(datagram, status::other_node, {}), from);
      return;
    }
    if (is_read) {
      std::function<void(const std::string &)> hook;
      {
        std::lock_guard lock(mutex);
        hook = read_hook;
      }
      if (hook) hook(name);
      std::uint8_t status = status::no_such_field;
      Bytes value;
      {
        std::lock_guard lock(mutex);
        auto it = fields.find(name);
        if (it != fields.end()) {
          if (it->second.silent) {
            log("read of " + name + " left unanswered on purpose");
            return;
          }
          status = it->second.status;
          value = it->second.value;
        }
      }
      send_reply(make_reply(datagram, status, value), from);
      return;
    }
    if (is_write) {
      Bytes value(datagram.begin() + vekx::offset::data, datagram.begin() + vekx::offset::data + length);
      std::uint8_t status = 0;
      std::function<void(const std::string &, const Bytes &)> hook;
      {
        std::lock_guard lock(mutex);
        auto it = fields.find(name);
        if (value.size() > limits::field_bytes) {
          status = status::too_large;
        } else if (it == fields.end() && fields.size() >= limits::fields) {
          status = status::store_full;
        } else {
          Field &field = fields[name];
          field.value = value;
          status = field.status;
          hook = write_hook;
        }
      }
      if (hook) hook(name, value);
      send_reply(make_reply(datagram, status, {}), from);
      return;
    }
    send_reply(make_reply(datagram, status::bad_operation, {}), from);
  }

  void receive_all() {
    std::uint8_t buffer[limits::recorded_datagram_bytes];
    for (int i = 0; i < 256; ++i) {
      sockaddr_in from{};
      socklen_t from_size = sizeof from;
#if defined(_WIN32)
      // The socket is non-blocking. An oversized datagram fails with
      // WSAEMSGSIZE and leaves its first bytes: its real size is unknown but
      // more than was kept.
      auto n = ::recvfrom(fd, reinterpret_cast<char *>(buffer), sizeof buffer, 0, reinterpret_cast<sockaddr *>(&from),
                          &from_size);
      if (n < 0 && ::WSAGetLastError() == WSAEMSGSIZE) n = sizeof buffer + 1;
      if (n < 0) {
        if (::WSAGetLastError() != WSAEWOULDBLOCK) log("receive failed: " + socket_error_text(::WSAGetLastError()));
        return;
      }
#else
      // MSG_TRUNC gives the real size, so an oversized datagram is seen as such.
      const ssize_t n = ::recvfrom(fd, buffer, sizeof buffer, MSG_DONTWAIT | MSG_TRUNC,
                                   reinterpret_cast<sockaddr *>(&from), &from_size);
      if (n < 0) {
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
          log(std::string("receive failed: ") + std::strerror(errno));
        return;
      }
#endif
      const std::size_t real = static_cast<std::size_t>(n);
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
#if defined(_WIN32)
      // No wake-up pipe here: stop() waits for the end of the current tick.
      WSAPOLLFD fds[1] = {{fd, POLLIN, 0}};
      const int ready = ::WSAPoll(fds, 1, static_cast<int>(timeout.count()));
#else
      pollfd fds[2] = {{fd, POLLIN, 0}, {wake_read, POLLIN, 0}};
      const int ready = ::poll(fds, 2, static_cast<int>(timeout.count()));
      if (ready > 0 && (fds[1].revents & POLLIN)) {
        std::uint8_t drain[16];
        while (::read(wake_read, drain, sizeof drain) > 0) {
        }
      }
#endif
      send_due();
      if (ready > 0 && (fds[0].revents & POLLIN)) receive_all();
    }
  }
};

SharedDataService::SharedDataService(const std::string &listen_address, std::uint16_t port, int node)
    : impl_(new Impl) {
  if (node < 1 || node > 16) {
    delete impl_;
    throw std::invalid_argument("node must be 1 to 16");
  }
  impl_->node = node;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  if (::inet_pton(AF_INET, listen_address.c_str(), &addr.sin_addr) != 1) {
    delete impl_;
    throw std::system_error(EINVAL, std::generic_category(), "not an IPv4 address: " + listen_address);
  }
#if defined(_WIN32)
  WSADATA wsa;
  ::WSAStartup(MAKEWORD(2, 2), &wsa);  // counted: the destructor gives it back
  impl_->fd = ::socket(AF_INET, SOCK_DGRAM, 0);
  u_long nonblocking = 1;
  if (impl_->fd == no_socket || ::ioctlsocket(impl_->fd, FIONBIO, &nonblocking) != 0) {
    const int err = last_socket_error();
    if (impl_->fd != no_socket) close_socket(impl_->fd);
    delete impl_;
    ::WSACleanup();
    throw std::system_error(err, std::system_category(), "socket");
  }
#else
  int pipe_fds[2];
  impl_->fd = ::socket(AF_INET, SOCK_DGRAM, 0);
  if (impl_->fd < 0 || ::pipe2(pipe_fds, O_NONBLOCK | O_CLOEXEC) != 0) {
    const int err = errno;
    if (impl_->fd >= 0) ::close(impl_->fd);
    delete impl_;
    throw std::system_error(err, std::generic_category(), "socket");
  }
  impl_->wake_read = pipe_fds[0];
  impl_->wake_write = pipe_fds[1];
#endif
  if (::bind(impl_->fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0) {
    const int err = last_socket_error();
    impl_->release();
    delete impl_;
    throw std::system_error(err, socket_errors(), "bind " + listen_address + ":" + std::to_string(port));
  }
  socklen_t size = sizeof addr;
  ::getsockname(impl_->fd, reinterpret_cast<sockaddr *>(&addr), &size);
  impl_->port = ntohs(addr.sin_port);
}

SharedDataService::~SharedDataService() {
  stop();
  impl_->release();
  delete impl_;
}

std::uint16_t SharedDataService::port() const { return impl_->port; }

void SharedDataService::start() {
  if (impl_->running.exchange(true)) return;
  impl_->thread = std::thread([this] { impl_->loop(); });
}

void SharedDataService::stop() {
  if (!impl_->running.exchange(false)) return;
#if !defined(_WIN32)
  const std::uint8_t wake = 1;
  [[maybe_unused]] ssize_t ignored = ::write(impl_->wake_write, &wake, 1);
#endif
  if (impl_->thread.joinable()) impl_->thread.join();
  impl_->queued.clear();
}

void SharedDataService::set_field(const std::string &name, std::vector<std::uint8_t> value) {
  if (value.size() > limits::field_bytes)
    throw std::length_error("field value over " + std::to_string(limits::field_bytes) + " bytes");
  std::lock_guard lock(impl_->mutex);
  impl_->fields[field_key(name)].value = std::move(value);
}

void SharedDataService::set_field_text(const std::string &name, const std::string &text) {
  set_field(name, Bytes(text.begin(), text.end()));
}

void SharedDataService::set_field_byte(const std::string &name, std::uint8_t value) { set_field(name, {value}); }

std::optional<std::vector<std::uint8_t>> SharedDataService::field(const std::string &name) const {
  std::lock_guard lock(impl_->mutex);
  auto it = impl_->fields.find(field_key(name));
  if (it == impl_->fields.end()) return std::nullopt;
  return it->second.value;
}

std::vector<std::string> SharedDataService::field_names() const {
  std::lock_guard lock(impl_->mutex);
  std::vector<std::string> names;
  for (const auto &entry : impl_->fields) names.push_back(entry.first);
  return names;
}

std::uint8_t SharedDataService::field_status(const std::string &name) const {
  std::lock_guard lock(impl_->mutex);
  auto it = impl_->fields.find(field_key(name));
  return it == impl_->fields.end() ? 0 : it->second.status;
}

void SharedDataService::set_field_status(const std::string &name, std::uint8_t status) {
  std::lock_guard lock(impl_->mutex);
  impl_->fields[field_key(name)].status = status;
}

void SharedDataService::set_field_silent(const std::string &name, bool silent) {
  std::lock_guard lock(impl_->mutex);
  impl_->fields[field_key(name)].silent = silent;
}

void SharedDataService::on_write(
    std::function<void(const std::string &name, const std::vector<std::uint8_t> &value)> hook) {
  std::lock_guard lock(impl_->mutex);
  impl_->write_hook = std::move(hook);
}

void SharedDataService::on_read(std::function<void(const std::string &name)> hook) {
  std::lock_guard lock(impl_->mutex);
  impl_->read_hook = std::move(hook);
}

std::vector<TrafficRecord> SharedDataService::traffic() const {
  std::lock_guard lock(impl_->traffic_mutex);
  return {impl_->traffic.begin(), impl_->traffic.end()};
}

std::vector<TrafficRecord> SharedDataService::inbound() const {
  std::lock_guard lock(impl_->traffic_mutex);
  std::vector<TrafficRecord> out;
  for (const auto &r : impl_->traffic)
    if (r.inbound) out.push_back(r);
  return out;
}

void SharedDataService::clear_traffic() {
  std::lock_guard lock(impl_->traffic_mutex);
  impl_->traffic.clear();
  impl_->inbound_count = 0;
}

std::size_t SharedDataService::wait_inbound(std::size_t n, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(impl_->traffic_mutex);
  impl_->traffic_changed.wait_for(lock, timeout, [&] { return impl_->inbound_count >= n; });
  return impl_->inbound_count;
}

void SharedDataService::set_silent(bool silent) {
  std::lock_guard lock(impl_->mutex);
  impl_->silent = silent;
}

void SharedDataService::set_reply_delay(std::chrono::milliseconds delay) {
  std::lock_guard lock(impl_->mutex);
  impl_->reply_delay = std::max(delay, std::chrono::milliseconds(0));
}

void SharedDataService::drop_next_replies(int n) {
  std::lock_guard lock(impl_->mutex);
  impl_->drop_count = std::max(n, 0);
}

void SharedDataService::send_decoy_before_next_reply(Decoy decoy) {
  std::lock_guard lock(impl_->mutex);
  impl_->decoys.push_back(decoy);
}

void SharedDataService::oversize_next_reply(std::size_t total_bytes) {
  std::lock_guard lock(impl_->mutex);
  impl_->oversize = std::min(total_bytes, limits::largest_sent_datagram);
}

void SharedDataService::claim_length_next_reply(std::uint16_t claimed) {
  std::lock_guard lock(impl_->mutex);
  impl_->claimed_length = claimed;
}

void SharedDataService::send_stray(const std::vector<std::uint8_t> &datagram, std::uint16_t to_port) {
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(to_port);
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  impl_->send_now(datagram, to);
}

void SharedDataService::set_log(std::function<void(const std::string &line)> sink) {
  std::lock_guard lock(impl_->log_mutex);
  impl_->log_sink = std::move(sink);
}

}  // namespace vekxsim

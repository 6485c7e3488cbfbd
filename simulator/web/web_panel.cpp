#include "web_panel.h"

#include <httplib.h>

#include <atomic>
#include <cstdio>
#include <deque>
#include <stdexcept>
#include <thread>

#include "capture_download.h"
#include "event_stream.h"
#include "terminal_door.h"
#include "trace_row.h"
#include "web_files.h"

namespace vekxsim::web {

namespace {

// The state is looked at this often: at most 20 updates a second, each
// within 50 ms of the change.
constexpr auto publish_interval = std::chrono::milliseconds(50);
// A stream with nothing to send says so this often, which also finds pages
// that have gone.
constexpr auto keep_alive_interval = std::chrono::seconds(1);
// A page that takes no more than this many bytes of events is dropped.
constexpr std::size_t event_queue_limit = 1 << 20;
// Datagrams waiting for the publisher; beyond this the oldest go.
constexpr std::size_t pending_traffic_limit = 10000;
// A page that takes nothing for this long is dropped.
constexpr auto write_timeout = std::chrono::seconds(2);
// Requests answered at once besides the event streams.
constexpr std::size_t request_threads = 8;

constexpr const char *security_policy =
    "default-src 'self'; frame-ancestors 'none'; base-uri 'none'; form-action 'none'";

void answer(httplib::Response &res, int status, const std::string &body, const char *type) {
  res.status = status;
  res.set_content(body, type);
}

void refuse(httplib::Response &res, int status, const std::string &why) {
  answer(res, status, Json{{"ok", false}, {"error", why}}.dump(), "application/json");
}

}  // namespace

struct WebPanel::Impl {
  Impl(PanelSubject s, Access a)
      : subject(std::move(s)), access(std::move(a)), events(max_event_clients, event_queue_limit) {}

  PanelSubject subject;
  Access access;
  httplib::Server server;
  EventStream events;
  std::thread listener;
  std::thread publisher;

  std::mutex mutex;  // guards what follows; never held across I/O
  std::condition_variable stop_changed;
  bool stopping = false;
  std::string last_state;

  // The UDP thread's only lock here: it hands each datagram over under it,
  // and nothing else is done while it is held.
  std::mutex traffic_mutex;
  std::deque<std::pair<std::uint64_t, TrafficRecord>> pending_traffic;  // with the trace row's id
  // The ids of the trace rows keep rising when vekxsim starts again (a
  // million a second from its start time), so that a page that followed
  // the last run takes the new rows.
  std::uint64_t next_row_id = static_cast<std::uint64_t>(
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::system_clock::now().time_since_epoch())
          .count());

  void routes();
  void publish();
  void publish_once();
};

void WebPanel::Impl::routes() {
  server.new_task_queue = [] { return new httplib::ThreadPool(request_threads + max_event_clients); };
  server.set_payload_max_length(largest_body);
  server.set_write_timeout(write_timeout);
  server.set_default_headers({{"Content-Security-Policy", security_policy},
                              {"X-Content-Type-Options", "nosniff"},
                              {"X-Frame-Options", "DENY"},
                              {"Referrer-Policy", "no-referrer"},
                              {"Cache-Control", "no-store"}});
  server.set_pre_routing_handler([this](const httplib::Request &req, httplib::Response &res) {
    const std::string host = req.get_header_value("Host");
    const std::string authorization = req.get_header_value("Authorization");
    const std::string type = req.get_header_value("Content-Type");
    std::optional<std::string_view> origin;
    const std::string origin_text = req.get_header_value("Origin");
    if (req.has_header("Origin")) origin = origin_text;
    const auto refused = refusal(access, {req.method, host, origin, authorization, type});
    if (!refused) return httplib::Server::HandlerResponse::Unhandled;
    refuse(res, refused->status, refused->why);
    return httplib::Server::HandlerResponse::Handled;
  });
  server.set_error_handler([](const httplib::Request &req, httplib::Response &res) {
    if (!res.body.empty()) return;
    if (res.status == 404)
      refuse(res, 404, "no " + req.path + " here; the panel is at / and its API under /api/ (/api/openapi.json)");
    else if (res.status == 413)
      refuse(res, 413, "the body is larger than " + std::to_string(largest_body) + " bytes");
    else
      refuse(res, res.status, "the request was refused (HTTP " + std::to_string(res.status) + ")");
  });
  server.set_exception_handler([](const httplib::Request &, httplib::Response &res, std::exception_ptr) {
    refuse(res, 500, "the panel failed to answer; see vekxsim's standard error");
  });

  server.Post("/api/command", [this](const httplib::Request &req, httplib::Response &res) {
    std::string why;
    const auto request = command_request(req.body, why);
    if (!request) return refuse(res, 400, why);
    if (subject.read_only_refusal)
      if (const auto refused = subject.read_only_refusal(*request)) return refuse(res, 409, *refused);
    const Json reply = subject.command(*request);
    answer(res, reply.value("ok", false) ? 200 : 400, reply.dump(), "application/json");
  });
  server.Get("/api/state", [this](const httplib::Request &, httplib::Response &res) {
    answer(res, 200, subject.state().dump(), "application/json");
  });
  server.Get("/api/capture.pcap", [this](const httplib::Request &, httplib::Response &res) {
    answer(res, 200, capture_pcap(subject.traffic.all(), access.address, subject.port), "application/vnd.tcpdump.pcap");
    res.set_header("Content-Disposition", "attachment; filename=\"vekxsim.pcap\"");
  });
  server.Get("/api/events", [this](const httplib::Request &, httplib::Response &res) {
    const std::shared_ptr<Subscriber> subscriber = events.subscribe();
    if (!subscriber)
      return refuse(res, 503,
                    std::to_string(max_event_clients) + " pages follow the panel already; close one and reload");
    {
      std::lock_guard lock(mutex);
      if (!last_state.empty()) subscriber->push(event_text("state", last_state));
    }
    res.set_chunked_content_provider(
        "text/event-stream",
        [subscriber](std::size_t, httplib::DataSink &sink) {
          const auto text = subscriber->next(keep_alive_interval);
          if (!text) {
            sink.done();
            return true;
          }
          const std::string out = text->empty() ? ": still here\n\n" : *text;
          return sink.write(out.data(), out.size());
        },
        [subscriber](bool) { subscriber->close(); });
  });
  server.Get("/api/openapi.json", [](const httplib::Request &, httplib::Response &res) {
    const WebFile *file = web_file("/openapi.json");
    answer(res, 200, std::string(file->body), std::string(file->type).c_str());
  });
  server.Get(R"(/[^/]*)", [](const httplib::Request &req, httplib::Response &res) {
    const WebFile *file = web_file(req.path);
    if (file == nullptr) return refuse(res, 404, "no " + req.path + " here; the panel is at /");
    answer(res, 200, std::string(file->body), std::string(file->type).c_str());
  });
}

void WebPanel::Impl::publish_once() {
  std::deque<std::pair<std::uint64_t, TrafficRecord>> traffic;
  {
    std::lock_guard lock(traffic_mutex);
    traffic.swap(pending_traffic);
  }
  if (!traffic.empty()) {
    Json rows = Json::array();
    for (const auto &[id, r] : traffic) rows.push_back(trace_row(r, wall_time(r), id));
    events.publish("traffic", rows.dump(), true);
  }
  // The state is made and sent with no lock of the panel held.
  std::string state = subject.state().dump();
  {
    std::lock_guard lock(mutex);
    if (state == last_state) return;
    last_state = state;
  }
  events.publish("state", state);
}

void WebPanel::Impl::publish() {
  std::unique_lock lock(mutex);
  while (!stopping) {
    lock.unlock();
    try {
      publish_once();
    } catch (const std::exception &e) {
      // A state the page cannot be told of must not end the simulator; the
      // next look may succeed.
      std::fprintf(stderr, "vekxsim: the web panel could not publish the state: %s\n", e.what());
    }
    lock.lock();
    stop_changed.wait_for(lock, publish_interval, [&] { return stopping; });
  }
}

WebPanel::WebPanel(PanelSubject subject, Access access)
    : impl_(std::make_unique<Impl>(std::move(subject), std::move(access))) {
  Impl &p = *impl_;
  p.routes();
  if (p.access.port == 0) {
    const int port = p.server.bind_to_any_port(p.access.address);
    if (port <= 0) throw std::runtime_error("cannot listen on " + p.access.address);
    p.access.port = static_cast<std::uint16_t>(port);
  } else if (!p.server.bind_to_port(p.access.address, p.access.port)) {
    throw std::runtime_error("cannot listen on " + p.access.address + ":" + std::to_string(p.access.port) +
                             " (is another program on that port?)");
  }
  p.subject.traffic.set_listener([&p](const TrafficRecord &record) {
    std::lock_guard lock(p.traffic_mutex);
    // A row dropped here leaves a gap in the ids, which the page shows.
    p.pending_traffic.emplace_back(p.next_row_id++, record);
    if (p.pending_traffic.size() > pending_traffic_limit) p.pending_traffic.pop_front();
  });
  p.listener = std::thread([&p] { p.server.listen_after_bind(); });
  p.publisher = std::thread([&p] { p.publish(); });
}

WebPanel::~WebPanel() {
  Impl &p = *impl_;
  p.subject.traffic.set_listener(nullptr);
  {
    std::lock_guard lock(p.mutex);
    p.stopping = true;
  }
  p.stop_changed.notify_all();
  p.publisher.join();
  p.events.close_all();
  p.server.stop();
  p.listener.join();
}

std::uint16_t WebPanel::port() const { return impl_->access.port; }

std::string WebPanel::url() const {
  const std::string shown = impl_->access.address == "0.0.0.0" ? "127.0.0.1" : impl_->access.address;
  return "http://" + shown + ":" + std::to_string(impl_->access.port) + "/";
}

}  // namespace vekxsim::web

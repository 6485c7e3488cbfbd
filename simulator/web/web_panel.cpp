#include "web_panel.h"

#include <atomic>
#include <cstdio>
#include <deque>
#include <stdexcept>
#include <thread>

#include "capture_download.h"
#include "control_json.h"
#include "event_stream.h"
#include "http_server.h"
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

constexpr const char *security_policy =
    "default-src 'self'; frame-ancestors 'none'; base-uri 'none'; form-action 'none'";
constexpr const char *json_type = "application/json";

HttpAnswer refuse(int status, const std::string &why) {
  HttpAnswer answer{status, json_type, json_line(Json{{"ok", false}, {"error", why}})};
  if (status == 401) answer.fields.emplace_back("WWW-Authenticate", "Bearer realm=\"vekxsim\"");
  return answer;
}

HttpAnswer not_allowed(std::string_view path, std::string_view allowed) {
  HttpAnswer answer = refuse(405, std::string(path) + " takes " + std::string(allowed) + " only");
  answer.fields.emplace_back("Allow", allowed);
  return answer;
}

// What a page follows of /api/events: the subscriber's events, or a line
// that says the stream is still there when nothing came for a while. The
// subscriber closes when the connection drops this.
std::function<std::optional<std::string>()> follow(std::shared_ptr<Subscriber> subscriber) {
  struct Closing {
    std::shared_ptr<Subscriber> subscriber;
    std::chrono::steady_clock::time_point last_sent = std::chrono::steady_clock::now();
    ~Closing() {
      if (subscriber) subscriber->close();
    }
  };
  const auto f = std::make_shared<Closing>();
  f->subscriber = std::move(subscriber);
  return [f]() -> std::optional<std::string> {
    auto text = f->subscriber->next(std::chrono::milliseconds(0));
    const auto now = std::chrono::steady_clock::now();
    if (text && text->empty() && now - f->last_sent >= keep_alive_interval) text = ": still here\n\n";
    if (text && !text->empty()) f->last_sent = now;
    return text;
  };
}

}  // namespace

struct WebPanel::Impl {
  Impl(PanelSubject s, Access a)
      : subject(std::move(s)), access(std::move(a)), events(max_event_clients, event_queue_limit) {}

  PanelSubject subject;
  Access access;
  EventStream events;
  HttpHandlers answers;
  std::unique_ptr<HttpServer> server;
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

  HttpHandlers handlers();
  std::optional<HttpAnswer> admit(const HttpRequest &head) const;
  HttpAnswer answer(const HttpRequest &request);
  HttpAnswer command(const HttpRequest &request);
  HttpAnswer event_stream();
  void publish();
  void publish_once();
};

HttpHandlers WebPanel::Impl::handlers() {
  return {[this](const HttpRequest &head) { return admit(head); },
          [this](const HttpRequest &request) { return answer(request); },
          refuse,
          {{"Content-Security-Policy", security_policy},
           {"X-Content-Type-Options", "nosniff"},
           {"X-Frame-Options", "DENY"},
           {"Referrer-Policy", "no-referrer"},
           {"Cache-Control", "no-store"}}};
}

std::optional<HttpAnswer> WebPanel::Impl::admit(const HttpRequest &head) const {
  const auto text = [&](std::string_view name) { return head.field(name).value_or(""); };
  const auto refused = refusal(access, {head.method, text("host"), head.field("origin"), text("authorization"),
                                        text("content-type"), head.path()});
  if (refused) return refuse(refused->status, refused->why);
  return std::nullopt;
}

HttpAnswer WebPanel::Impl::command(const HttpRequest &request) {
  std::string why;
  const auto parsed = command_request(request.body, why);
  if (!parsed) return refuse(400, why);
  if (subject.read_only_refusal)
    if (const auto refused = subject.read_only_refusal(*parsed)) return refuse(409, *refused);
  if (const auto r = json_request(*parsed); std::holds_alternative<JsonRequest>(r))
    if (const auto refused = command_refusal(std::get<JsonRequest>(r).command, std::get<JsonRequest>(r).args))
      return refuse(refused->status, refused->why);
  const Json reply = subject.command(*parsed);
  return {reply.value("ok", false) ? 200 : 400, json_type, json_line(reply)};
}

HttpAnswer WebPanel::Impl::event_stream() {
  const std::shared_ptr<Subscriber> subscriber = events.subscribe();
  if (!subscriber)
    return refuse(503, std::to_string(max_event_clients) + " pages follow the panel already; close one and reload");
  {
    std::lock_guard lock(mutex);
    if (!last_state.empty()) subscriber->push(event_text("state", last_state));
  }
  HttpAnswer answer{200, "text/event-stream", {}};
  answer.stream = follow(subscriber);
  return answer;
}

HttpAnswer WebPanel::Impl::answer(const HttpRequest &request) {
  // HEAD answers as GET does, without the body.
  const std::string_view method = request.method == "HEAD" ? std::string_view("GET") : request.method;
  const std::string_view path = request.path();
  const auto route = std::ranges::find(api_routes, path, &Route::path);
  if (route != api_routes.end() && route->method != method) return not_allowed(path, route->method);
  if (route == api_routes.end() && needs_token(path))
    return refuse(404, "no " + std::string(path) + " here; the API is described at /api/openapi.json");
  if (path == "/api/command") return command(request);
  if (path == "/api/state") return {200, json_type, json_line(subject.state())};
  if (path == "/api/events") return event_stream();
  if (path == "/api/capture.pcap") {
    const std::string shown_address = subject.address == "0.0.0.0" ? "127.0.0.1" : subject.address;
    return {200,
            "application/vnd.tcpdump.pcap",
            capture_pcap(subject.traffic.all(), shown_address, subject.port),
            {{"Content-Disposition", "attachment; filename=\"vekxsim.pcap\""}}};
  }
  const WebFile *file = web_file(path == "/api/openapi.json" ? "/openapi.json" : path);
  if (file == nullptr) return refuse(404, "no " + std::string(path) + " here; the panel is at /");
  if (method != "GET") return not_allowed(path, "GET");
  return {200, std::string(file->type), std::string(file->body)};
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
    events.publish("traffic", json_line(rows), true);
  }
  // The state is made and sent with no lock of the panel held.
  std::string state = json_line(subject.state());
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
  p.answers = p.handlers();
  p.server = std::make_unique<HttpServer>(p.access.address, p.access.port, p.answers);
  p.access.port = p.server->port();
  p.subject.traffic.set_listener([&p](const TrafficRecord &record) {
    std::lock_guard lock(p.traffic_mutex);
    // A row dropped here leaves a gap in the ids, which the page shows.
    p.pending_traffic.emplace_back(p.next_row_id++, record);
    if (p.pending_traffic.size() > pending_traffic_limit) p.pending_traffic.pop_front();
  });
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
  p.server->stop();
}

const HttpHandlers &WebPanel::handlers() const { return impl_->answers; }

std::uint16_t WebPanel::port() const { return impl_->access.port; }

std::string WebPanel::url() const {
  const Access &a = impl_->access;
  const bool everywhere = a.address == "0.0.0.0" || a.address == "::";
  const std::string shown = everywhere                                 ? "127.0.0.1"
                            : a.address.find(':') != std::string::npos ? "[" + a.address + "]"
                                                                       : a.address;
  return "http://" + shown + ":" + std::to_string(a.port) + "/";
}

}  // namespace vekxsim::web

#include "http_server.h"

#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace vekxsim::web {

namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;
using Parser = http::request_parser<http::string_body>;
using Message = http::response<http::string_body>;

// Room for one head and what follows it in the same reads.
constexpr std::size_t read_buffer_limit = 2 * largest_head;
// A refused client's unread bytes are read and dropped for at most this
// long before the connection closes, so that the refusal reaches it.
constexpr auto drain_deadline = std::chrono::seconds(1);
// After a failed accept (no descriptors left, say) the next waits this long.
constexpr auto accept_pause = std::chrono::milliseconds(100);

std::unique_ptr<Parser> new_parser() {
  auto parser = std::make_unique<Parser>();
  parser->header_limit(static_cast<std::uint32_t>(largest_head));
  parser->body_limit(largest_body);
  return parser;
}

HttpRequest request_of(const http::request<http::string_body> &message) {
  HttpRequest request{std::string(message.method_string()), std::string(message.target()), {}, {}};
  for (const auto &f : message) {
    std::string name(f.name_string());
    std::ranges::transform(name, name.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const auto same = std::ranges::find(request.fields, name, &std::pair<std::string, std::string>::first);
    if (same == request.fields.end())
      request.fields.emplace_back(std::move(name), std::string(f.value()));
    else
      same->second += ", " + std::string(f.value());
  }
  return request;
}

// Text from a request as standard error may show it: printable ASCII.
std::string shown(std::string_view text) {
  std::string out(text.substr(0, 200));
  for (char &c : out)
    if (c < 0x20 || c > 0x7e) c = '?';
  return out;
}

HttpAnswer read_refusal(const HttpHandlers &handlers, const beast::error_code &ec) {
  if (ec == http::error::header_limit)
    return handlers.refuse(431, "the request's head is over " + std::to_string(largest_head) +
                                    " bytes; send fewer and shorter header fields");
  if (ec == http::error::body_limit)
    return handlers.refuse(413, "the body is larger than " + std::to_string(largest_body) + " bytes");
  return handlers.refuse(400, "the request is not HTTP/1.1 as the panel reads it (" + ec.message() + ")");
}

// What a handler throws is answered 500, its cause on standard error.
template <typename Call>
auto safely(const HttpHandlers &handlers, const HttpRequest &request, Call call) -> decltype(call()) {
  try {
    return call();
  } catch (const std::exception &e) {
    std::fprintf(stderr, "vekxsim: the web panel failed to answer %s %s: %s; it goes on with the next request\n",
                 shown(request.method).c_str(), shown(request.target).c_str(), e.what());
  }
  return handlers.refuse(500, "the panel failed to answer; the cause is on vekxsim's standard error");
}

std::optional<HttpAnswer> admitted(const HttpHandlers &handlers, const HttpRequest &head) {
  return safely(handlers, head, [&] { return handlers.admit(head); });
}

HttpAnswer answered(const HttpHandlers &handlers, const HttpRequest &request) {
  return safely(handlers, request, [&] { return handlers.answer(request); });
}

// Whether the connection takes another request after this answer.
bool goes_on(const http::request<http::string_body> &request, const HttpAnswer &answer) {
  return request.keep_alive() && answer.status < 400 && !answer.stream && request.method() != http::verb::head;
}

Message message_of(const HttpAnswer &answer, const HttpHandlers &handlers, unsigned version, bool keep_alive,
                   bool head_only) {
  Message m{static_cast<http::status>(answer.status), version};
  for (const auto &[name, value] : handlers.common_fields) m.set(name, value);
  for (const auto &[name, value] : answer.fields) m.set(name, value);
  if (!answer.type.empty()) m.set(http::field::content_type, answer.type);
  m.body() = answer.body;
  m.keep_alive(keep_alive);
  m.prepare_payload();
  if (head_only) m.body().clear();  // Content-Length stays that of the body
  return m;
}

// Feeds bytes to the parser until the head (or the whole request) is
// parsed; false when they run out first or do not parse (ec set).
bool feed(Parser &parser, std::string_view &bytes, bool head_only, beast::error_code &ec) {
  // The parser may take nothing on one call as it moves from the head to the
  // body; taking nothing twice running means the bytes end before the
  // request does, which gets no answer (as a connection that went quiet).
  int idle_calls = 0;
  while (!(head_only ? parser.is_header_done() : parser.is_done())) {
    const std::size_t used = parser.put(asio::buffer(bytes.data(), bytes.size()), ec);
    bytes.remove_prefix(used);
    if (ec == http::error::need_more) ec = {};
    if (ec) return false;
    idle_calls = used == 0 ? idle_calls + 1 : 0;
    if (idle_calls == 2 || (used == 0 && bytes.empty())) return false;
  }
  return true;
}

class Connection : public std::enable_shared_from_this<Connection> {
 public:
  Connection(tcp::socket socket, const HttpHandlers &handlers, std::atomic<std::size_t> &open)
      : stream_(std::move(socket)), handlers_(handlers), open_(open), timer_(stream_.get_executor()) {}
  ~Connection() { --open_; }
  Connection(const Connection &) = delete;
  Connection &operator=(const Connection &) = delete;

  void read_head() {
    parser_ = new_parser();
    stream_.expires_after(request_deadline);
    http::async_read_header(stream_, buffer_, *parser_,
                            [self = shared_from_this()](beast::error_code ec, std::size_t) { self->on_head(ec); });
  }

 private:
  void on_head(beast::error_code ec) {
    if (ec) return refuse_unread(ec);
    request_ = request_of(parser_->get());
    if (auto refused = admitted(handlers_, request_)) return send(*refused, false);
    http::async_read(stream_, buffer_, *parser_,
                     [self = shared_from_this()](beast::error_code e, std::size_t) { self->on_body(e); });
  }

  void on_body(beast::error_code ec) {
    if (ec) return refuse_unread(ec);
    request_.body = std::move(parser_->get().body());
    HttpAnswer answer = answered(handlers_, request_);
    if (answer.stream) return start_stream(std::move(answer));
    const bool keep = goes_on(parser_->get(), answer);
    send(answer, keep);
  }

  // A read that timed out or was closed gets no answer; one that did not
  // parse or outgrew a bound gets its refusal.
  void refuse_unread(const beast::error_code &ec) {
    if (ec == beast::error::timeout || ec == http::error::end_of_stream || ec == asio::error::operation_aborted ||
        ec == asio::error::connection_reset || ec == asio::error::eof)
      return stream_.close();
    send(read_refusal(handlers_, ec), false);
  }

  void send(const HttpAnswer &answer, bool keep_alive) {
    const bool head_only = parser_->get().method() == http::verb::head;
    auto message =
        std::make_shared<Message>(message_of(answer, handlers_, parser_->get().version(), keep_alive, head_only));
    stream_.expires_after(request_deadline);
    http::async_write(stream_, *message,
                      [self = shared_from_this(), message, keep_alive](beast::error_code ec, std::size_t) {
                        if (ec) return self->stream_.close();
                        if (keep_alive) return self->read_head();
                        self->drain();
                      });
  }

  // Ends the connection after a last answer: no more is sent, and what the
  // client still sends is read (up to a body's bound) and dropped, so that
  // closing with bytes unread does not reset the answer away.
  void drain() {
    beast::error_code ignored;
    stream_.socket().shutdown(tcp::socket::shutdown_send, ignored);
    stream_.expires_after(drain_deadline);
    drain_more(0);
  }
  void drain_more(std::size_t dropped) {
    if (dropped > largest_body) return stream_.close();
    stream_.async_read_some(asio::buffer(scrap_),
                            [self = shared_from_this(), dropped](beast::error_code ec, std::size_t n) {
                              if (ec) return self->stream_.close();
                              self->drain_more(dropped + n);
                            });
  }

  void start_stream(HttpAnswer answer) {
    next_ = std::move(answer.stream);
    // In chunks, each piece one, for as long as the connection lasts.
    auto head = std::make_shared<http::response<http::empty_body>>(static_cast<http::status>(answer.status),
                                                                   parser_->get().version());
    for (const auto &[name, value] : handlers_.common_fields) head->set(name, value);
    for (const auto &[name, value] : answer.fields) head->set(name, value);
    head->set(http::field::content_type, answer.type);
    head->chunked(true);
    auto serializer = std::make_shared<http::response_serializer<http::empty_body>>(*head);
    stream_.expires_after(write_deadline);
    http::async_write_header(stream_, *serializer,
                             [self = shared_from_this(), head, serializer](beast::error_code ec, std::size_t) {
                               if (ec) return self->stream_.close();
                               self->wait_for_events();
                             });
  }
  void wait_for_events() {
    timer_.expires_after(stream_poll_interval);
    timer_.async_wait([self = shared_from_this()](beast::error_code ec) {
      if (!ec) self->send_events();
    });
  }
  void send_events() {
    std::optional<std::string> piece;
    try {
      piece = next_();
    } catch (const std::exception &e) {
      std::fprintf(stderr, "vekxsim: the web panel dropped an event stream: %s; the page reconnects\n", e.what());
    }
    if (!piece) return stream_.close();
    if (piece->empty()) return wait_for_events();
    auto text = std::make_shared<std::string>(std::move(*piece));
    stream_.expires_after(write_deadline);
    asio::async_write(stream_, http::make_chunk(asio::buffer(*text)),
                      [self = shared_from_this(), text](beast::error_code ec, std::size_t) {
                        if (ec) return self->stream_.close();
                        self->wait_for_events();
                      });
  }

  beast::tcp_stream stream_;
  const HttpHandlers &handlers_;
  std::atomic<std::size_t> &open_;
  asio::steady_timer timer_;
  beast::flat_buffer buffer_{read_buffer_limit};
  std::unique_ptr<Parser> parser_;
  HttpRequest request_;
  std::function<std::optional<std::string>()> next_;
  std::array<char, 4096> scrap_{};
};

}  // namespace

std::optional<std::string_view> HttpRequest::field(std::string_view lower_case_name) const {
  for (const auto &[name, value] : fields)
    if (name == lower_case_name) return value;
  return std::nullopt;
}

std::string_view HttpRequest::path() const {
  const std::string_view t = target;
  return t.substr(0, t.find('?'));
}

std::vector<HttpAnswer> answers_to(std::string_view bytes, const HttpHandlers &handlers) {
  std::vector<HttpAnswer> out;
  while (!bytes.empty()) {
    const auto parser = new_parser();
    beast::error_code ec;
    const auto failed = [&] {
      if (ec) out.push_back(read_refusal(handlers, ec));
      return out;
    };
    if (!feed(*parser, bytes, true, ec)) return failed();
    HttpRequest request = request_of(parser->get());
    if (auto refused = admitted(handlers, request)) {
      out.push_back(std::move(*refused));
      return out;
    }
    if (!feed(*parser, bytes, false, ec)) return failed();
    request.body = std::move(parser->get().body());
    out.push_back(answered(handlers, request));
    if (!goes_on(parser->get(), out.back())) return out;
  }
  return out;
}

struct HttpServer::Impl {
  explicit Impl(HttpHandlers h) : handlers(std::move(h)) {}

  HttpHandlers handlers;
  std::atomic<std::size_t> open{0};
  asio::io_context context{static_cast<int>(server_threads)};
  tcp::acceptor acceptor{context};
  asio::steady_timer pause{context};
  std::string too_many;  // the whole answer to a connection beyond the limit
  std::vector<std::thread> threads;

  void accept() {
    acceptor.async_accept(asio::make_strand(context), [this](beast::error_code ec, tcp::socket socket) {
      if (ec == asio::error::operation_aborted) return;
      if (ec) {
        pause.expires_after(accept_pause);
        return pause.async_wait([this](beast::error_code e) {
          if (!e) accept();
        });
      }
      if (open.load() >= most_connections) {
        beast::error_code ignored;
        socket.non_blocking(true, ignored);
        socket.write_some(asio::buffer(too_many), ignored);
        socket.shutdown(tcp::socket::shutdown_both, ignored);
        socket.close(ignored);
      } else {
        ++open;
        std::make_shared<Connection>(std::move(socket), handlers, open)->read_head();
      }
      accept();
    });
  }
};

HttpServer::HttpServer(const std::string &address, std::uint16_t port, HttpHandlers handlers)
    : impl_(std::make_unique<Impl>(std::move(handlers))) {
  Impl &s = *impl_;
  beast::error_code ec;
  const auto ip = asio::ip::make_address(address, ec);
  if (ec) throw std::runtime_error("cannot listen on " + address + ": it is no IP address");
  const tcp::endpoint endpoint(ip, port);
  const std::string where =
      ip.is_v6() ? "[" + address + "]:" + std::to_string(port) : address + ":" + std::to_string(port);
  s.acceptor.open(endpoint.protocol(), ec);
#ifndef _WIN32
  // Elsewhere the option would let two programs take the same port.
  if (!ec) s.acceptor.set_option(asio::socket_base::reuse_address(true), ec);
#endif
  if (!ec) s.acceptor.bind(endpoint, ec);
  if (!ec) s.acceptor.listen(asio::socket_base::max_listen_connections, ec);
  if (ec) throw std::runtime_error("cannot listen on " + where + " (" + ec.message() + ")");
  std::ostringstream too_many;
  too_many << message_of(s.handlers.refuse(503, std::to_string(most_connections) +
                                                    " connections are open to the panel; close some and try again"),
                         s.handlers, 11, false, false);
  s.too_many = too_many.str();
  s.accept();
  for (std::size_t i = 0; i < server_threads; ++i) s.threads.emplace_back([&s] { s.context.run(); });
}

HttpServer::~HttpServer() { stop(); }

std::uint16_t HttpServer::port() const { return impl_->acceptor.local_endpoint().port(); }

void HttpServer::stop() {
  Impl &s = *impl_;
  if (s.threads.empty()) return;
  s.context.stop();
  for (std::thread &t : s.threads) t.join();
  s.threads.clear();
}

}  // namespace vekxsim::web

// The panel's HTTP/1.1 server: it reads requests within fixed bounds, hands
// each to the panel's two questions (may this request go on, judged by its
// head before any body is read; and what is the answer) and writes the
// answer or follows an event stream. It knows nothing of the terminal.
//
// Bounds, each in force before a token is looked at and before a body is
// read:
// - a request's head (request line and header fields) is at most
//   largest_head bytes, which bounds the count of header fields too;
// - a body is at most largest_body bytes, chunked or not;
// - a whole request, head and body, arrives within request_deadline, and a
//   connection waits no longer than that for its next request;
// - at most most_connections are open at once; beyond them a connection
//   gets a 503 and is closed at once;
// - every refusal (an answer of 400 or above) closes its connection, so
//   that a body left unread can never be taken as the next request.
//
// Only Boost.Asio and Boost.Beast: it builds wherever they do.
#ifndef VEKXSIM_WEB_HTTP_SERVER_H
#define VEKXSIM_WEB_HTTP_SERVER_H

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vekxsim::web {

inline constexpr std::size_t largest_head = 8 * 1024;
inline constexpr std::size_t largest_body = 64 * 1024;
inline constexpr auto request_deadline = std::chrono::seconds(5);
inline constexpr std::size_t most_connections = 128;
// A page that takes nothing of its event stream for this long is dropped.
inline constexpr auto write_deadline = std::chrono::seconds(2);
// An event stream is looked at this often for what to send.
inline constexpr auto stream_poll_interval = std::chrono::milliseconds(20);
// Threads that answer requests; an answer that waits holds one of them.
inline constexpr std::size_t server_threads = 8;

// A request as the panel sees it: the head's fields by their name in lower
// case (a repeated field's values joined by ", "), and the body.
struct HttpRequest {
  std::string method;
  std::string target;  // as sent: "/api/state?x=1"
  std::vector<std::pair<std::string, std::string>> fields;
  std::string body;

  // The value of a field, or nothing when the request has none.
  std::optional<std::string_view> field(std::string_view lower_case_name) const;
  // The target without its query.
  std::string_view path() const;
};

struct HttpAnswer {
  int status = 200;
  std::string type;  // Content-Type
  std::string body;
  std::vector<std::pair<std::string, std::string>> fields{};  // more header fields
  // Set: the answer is an event stream and this gives what comes next
  // each time it is asked: nothing once it has ended, "" while nothing is
  // new. It is dropped (and so told) when the connection closes.
  std::function<std::optional<std::string>()> stream{};
};

struct HttpHandlers {
  // Called with the head of a request (body still empty): a refusal, or
  // nothing to go on and read the body.
  std::function<std::optional<HttpAnswer>(const HttpRequest &head)> admit;
  // The answer to a whole request.
  std::function<HttpAnswer(const HttpRequest &request)> answer;
  // The answer that refuses a request with this status and why, for the
  // refusals of the server itself (bounds, a request that does not parse,
  // a handler that failed).
  std::function<HttpAnswer(int status, const std::string &why)> refuse;
  // Header fields every answer carries.
  std::vector<std::pair<std::string, std::string>> common_fields{};
};

// The answers a connection gives when these bytes arrive on it at once, in
// order; after a refusal nothing more of the bytes is read. What the
// server does with each connection, without the network: for tests and the
// fuzz target.
std::vector<HttpAnswer> answers_to(std::string_view bytes, const HttpHandlers &handlers);

class HttpServer {
 public:
  // Listens on address:port (port 0: the system picks one); throws
  // std::runtime_error with why when it cannot. Serves once started.
  HttpServer(const std::string &address, std::uint16_t port, HttpHandlers handlers);
  ~HttpServer();
  HttpServer(const HttpServer &) = delete;
  HttpServer &operator=(const HttpServer &) = delete;

  std::uint16_t port() const;
  // Closes every connection and ends the threads.
  void stop();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vekxsim::web

#endif

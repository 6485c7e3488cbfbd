// Who may do what through the panel's HTTP side: the checks every request
// passes before it reaches a route, as pure functions of the request's
// facts, so that each rule is tested and fuzzed without a socket.
//
// - Host must name the panel's own address or localhost (a page of another
//   site that rebinds its name to this address is refused);
// - with a token, Authorization must be "Bearer TOKEN" on the API (the
//   page and its files load without it: the page asks for the token);
// - a state change (POST) must come from no other origin and carry JSON, so
//   that no form of another site can post one.
#ifndef VEKXSIM_WEB_RULES_H
#define VEKXSIM_WEB_RULES_H

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vekxsim::web {

struct Access {
  // The panel's address as a browser writes it in Host (IPv6 without its
  // brackets); "0.0.0.0" or "::" for every one.
  std::string address;
  std::uint16_t port = 0;
  std::optional<std::string> token;  // needed on every request when set
};

// What a check looks at.
struct RequestFacts {
  std::string_view method;  // "GET", "POST", ...
  std::string_view host;    // the Host header, "" when absent
  std::optional<std::string_view> origin;
  std::string_view authorization;
  std::string_view content_type;
  std::string_view path = "/api/";  // the target without its query
};

struct Refusal {
  int status;
  std::string why;  // one line for the body: what was refused and what to do
};

// The refusal of a request, or nothing when it may go on to its route.
std::optional<Refusal> refusal(const Access &access, const RequestFacts &request);

// Whether a request to this path needs the token: the API does, the page
// and its files do not.
bool needs_token(std::string_view path);

// The refusal of a command that the panel does not carry out: the session's
// own (quit, sleep, log), which belong to vekxsim's console, and traffic
// asking for more than most_traffic_rows.
inline constexpr long most_traffic_rows = 2000;
std::optional<Refusal> command_refusal(std::string_view command, const std::vector<std::string> &args);

// Whether an address is one of this PC's loopback addresses (127.0.0.0/8,
// ::1).
bool is_loopback(std::string_view address);

// "[ADDRESS:]PORT" of --web: sets address and port, or returns why not.
// ADDRESS is written as a browser sends it in Host, so that the panel
// knows its own requests: a dotted IPv4 address in full (127.0.0.1, not
// 127.1), localhost (listening on 127.0.0.1) or an IPv6 address in
// brackets ([::1]); 127.0.0.1 when not given.
std::string parse_web_address(const std::string &text, std::string &address, std::uint16_t &port);

// The token of --web-token's file: its first line without surrounding
// blanks; nothing with why when the file cannot be read or holds none.
std::optional<std::string> read_token_file(const std::string &path, std::string &why);

}  // namespace vekxsim::web

#endif

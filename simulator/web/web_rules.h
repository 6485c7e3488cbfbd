// Who may do what through the panel's HTTP side: the checks every request
// passes before it reaches a route, as pure functions of the request's
// facts, so that each rule is tested and fuzzed without a socket.
//
// - Host must name the panel's own address or localhost (a page of another
//   site that rebinds its name to this address is refused);
// - with a token, Authorization must be "Bearer TOKEN";
// - a state change (POST) must come from no other origin and carry JSON, so
//   that no form of another site can post one.
#ifndef VEKXSIM_WEB_RULES_H
#define VEKXSIM_WEB_RULES_H

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vekxsim::web {

// The largest request body taken; a larger one gets 413.
inline constexpr std::size_t largest_body = 64 * 1024;

struct Access {
  std::string address;  // the panel's IPv4 address, "0.0.0.0" for every one
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
};

struct Refusal {
  int status;
  std::string why;  // one line for the body: what was refused and what to do
};

// The refusal of a request, or nothing when it may go on to its route.
std::optional<Refusal> refusal(const Access &access, const RequestFacts &request);

// Whether an address is one of this PC's loopback addresses (127.0.0.0/8).
bool is_loopback(std::string_view address);

// "[ADDRESS:]PORT" of --web: sets address (127.0.0.1 when not given) and
// port, or returns why not.
std::string parse_web_address(const std::string &text, std::string &address, std::uint16_t &port);

// The token of --web-token's file: its first line without surrounding
// blanks; nothing with why when the file cannot be read or holds none.
std::optional<std::string> read_token_file(const std::string &path, std::string &why);

}  // namespace vekxsim::web

#endif

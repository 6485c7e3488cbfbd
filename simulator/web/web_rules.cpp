#include "web_rules.h"

#include <algorithm>
#include <boost/asio/ip/address.hpp>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <limits>

#include "console_text.h"
#include "control_text.h"
#include "vekx_wire.h"

namespace vekxsim::web {

namespace {

bool equal_ignoring_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// Compares every byte whatever the first difference, so that the time an
// answer takes tells nothing of how much of a guess was right.
bool same_secret(std::string_view given, std::string_view secret) {
  unsigned difference = given.size() == secret.size() ? 0 : 1;
  for (std::size_t i = 0; i < secret.size(); ++i)
    difference |= static_cast<unsigned char>(secret[i]) ^ static_cast<unsigned char>(i < given.size() ? given[i] : 0);
  return difference == 0;
}

// The address a name of Host writes as a browser does: an IPv4 address in
// full or an IPv6 address in brackets, each in its one canonical form.
std::optional<boost::asio::ip::address> host_address(std::string_view name) {
  const bool bracketed = name.starts_with('[') && name.ends_with(']');
  const std::string bare(bracketed ? name.substr(1, name.size() - 2) : name);
  boost::system::error_code ec;
  const auto address = boost::asio::ip::make_address(bare, ec);
  if (ec || address.is_v6() != bracketed || address.to_string() != bare) return std::nullopt;
  return address;
}

// How Host names an address: IPv6 in brackets.
std::string host_name(const std::string &address) {
  return address.find(':') == std::string::npos ? address : "[" + address + "]";
}

bool everywhere(const Access &access) { return access.address == "0.0.0.0" || access.address == "::"; }

// Whether Host names this panel: its address (any address when it listens
// on all of them: a rebinding page reaches it only by a name) or
// localhost, with the panel's port.
bool own_host(const Access &access, std::string_view host) {
  const std::string suffix = ":" + std::to_string(access.port);
  if (!host.ends_with(suffix)) return false;
  const std::string_view name = host.substr(0, host.size() - suffix.size());
  if (equal_ignoring_case(name, "localhost")) return true;
  if (everywhere(access)) {
    const auto address = host_address(name);
    return address && !address->is_unspecified();
  }
  return name == host_name(access.address);
}

// Why the panel does not carry out a command of vekxsim's session.
struct SessionCommand {
  std::string_view name, why;
};
constexpr SessionCommand session_commands[] = {
    {"quit",
     "quit ends vekxsim, which the panel does not do; end it where it was started (quit on its input, "
     "or Ctrl+C)"},
    {"sleep", "sleep pauses a script of vekxsim's input; the panel does not wait, so pause in your own program"},
    {"log",
     "log switches vekxsim's own traffic log; type it where vekxsim was started (the page's trace shows the "
     "traffic)"},
};

bool is_json_type(std::string_view type) {
  const std::string_view media = type.substr(0, type.find(';'));
  return equal_ignoring_case(control_text::trim(std::string(media)), "application/json");
}

}  // namespace

bool is_loopback(std::string_view address) {
  const auto ip = host_address(address.find(':') == std::string_view::npos ? std::string(address)
                                                                           : "[" + std::string(address) + "]");
  return ip && ip->is_loopback();
}

bool needs_token(std::string_view path) { return path.starts_with("/api/"); }

std::optional<Refusal> command_refusal(std::string_view command, const std::vector<std::string> &args) {
  for (const auto &[name, why] : session_commands)
    if (command == name) return Refusal{409, std::string(why)};
  if (command == "traffic" && !args.empty()) {
    const auto rows = control_text::whole_number(args[0], 1, std::numeric_limits<long>::max());
    if (rows && *rows > most_traffic_rows)
      return Refusal{400, "the panel answers traffic with at most " + std::to_string(most_traffic_rows) +
                              " rows; ask for fewer, or download the whole capture (GET /api/capture.pcap)"};
  }
  return std::nullopt;
}

std::optional<Refusal> refusal(const Access &access, const RequestFacts &request) {
  if (!own_host(access, request.host))
    return Refusal{403, "Host \"" + std::string(request.host) + "\" is not this panel's address; open the panel as " +
                            "http://" + (everywhere(access) ? "127.0.0.1" : host_name(access.address)) + ":" +
                            std::to_string(access.port) + "/"};
  if (access.token && needs_token(request.path)) {
    // The scheme's name is a word of HTTP's, in any case ("bearer" too).
    constexpr std::string_view bearer = "Bearer ";
    const bool named = equal_ignoring_case(request.authorization.substr(0, bearer.size()), bearer);
    if (!named || !same_secret(request.authorization.substr(bearer.size()), *access.token))
      return Refusal{401, "a request needs \"Authorization: Bearer TOKEN\" with the token of --web-token"};
  }
  if (request.method != "GET" && request.method != "HEAD") {
    const std::string own_origin = "http://" + std::string(request.host);
    if (request.origin && !equal_ignoring_case(*request.origin, own_origin))
      return Refusal{403, "a change from origin " + std::string(*request.origin) +
                              " is refused; change the terminal from the panel's own page or without Origin"};
    // Only a POST changes anything; another method goes on to its route's
    // 405, which names the methods the route takes.
    if (request.method == "POST" && !is_json_type(request.content_type))
      return Refusal{415,
                     "a change must be sent as application/json, not \"" + std::string(request.content_type) + "\""};
  }
  return std::nullopt;
}

std::string parse_web_address(const std::string &text, std::string &address, std::uint16_t &port) {
  const std::size_t colon = text.rfind(':');
  const std::string name = colon == std::string::npos ? "127.0.0.1" : text.substr(0, colon);
  const std::string port_text = colon == std::string::npos ? text : text.substr(colon + 1);
  const auto ip = equal_ignoring_case(name, "localhost") ? host_address("127.0.0.1") : host_address(name);
  if (!ip)
    return "--web " + text + ": a browser would name that address otherwise and be refused; write the address in " +
           "full as a browser does: 127.0.0.1:8080, localhost:8080 or [::1]:8080";
  address = ip->to_string();
  const auto n = vekx::whole_number(port_text, 0, 65535);
  if (!n) return "--web " + text + ": the port must be a number 0..65535 (0: the system picks)";
  port = static_cast<std::uint16_t>(*n);
  return {};
}

std::optional<std::string> read_token_file(const std::string &path, std::string &why) {
  errno = 0;
  std::ifstream in(vekx_common::path_named(path));
  std::string line;
  if (!in || !std::getline(in, line)) {
    why = "cannot read the token file " + path + ": " + (errno != 0 ? std::strerror(errno) : "it is empty");
    return std::nullopt;
  }
  std::string token = control_text::trim(line);
  if (token.empty()) {
    why = "the token file " + path + " holds no token on its first line; put one there (e.g. from " +
          "\"head -c 24 /dev/urandom | base64\")";
    return std::nullopt;
  }
  return token;
}

}  // namespace vekxsim::web

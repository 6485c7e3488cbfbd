#include "web_rules.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>

#include "control_text.h"
#include "shared_data_service.h"
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

// Whether Host names this panel: its address (any IPv4 address when it
// listens on all of them: a rebinding page reaches it only by a name) or
// localhost, with the panel's port.
bool own_host(const Access &access, std::string_view host) {
  const std::string suffix = ":" + std::to_string(access.port);
  if (!host.ends_with(suffix)) return false;
  const std::string_view name = host.substr(0, host.size() - suffix.size());
  if (equal_ignoring_case(name, "localhost")) return true;
  if (access.address == "0.0.0.0") return is_listen_address(std::string(name)) && name != "0.0.0.0";
  return name == access.address;
}

bool is_json_type(std::string_view type) {
  const std::string_view media = type.substr(0, type.find(';'));
  return equal_ignoring_case(control_text::trim(std::string(media)), "application/json");
}

}  // namespace

bool is_loopback(std::string_view address) {
  return is_listen_address(std::string(address)) && address.starts_with("127.");
}

std::optional<Refusal> refusal(const Access &access, const RequestFacts &request) {
  if (!own_host(access, request.host))
    return Refusal{403, "Host \"" + std::string(request.host) + "\" is not this panel's address; open the panel as " +
                            "http://" + (access.address == "0.0.0.0" ? "127.0.0.1" : access.address) + ":" +
                            std::to_string(access.port) + "/"};
  if (access.token) {
    constexpr std::string_view bearer = "Bearer ";
    const bool named = request.authorization.starts_with(bearer);
    if (!named || !same_secret(request.authorization.substr(bearer.size()), *access.token))
      return Refusal{401, "a request needs \"Authorization: Bearer TOKEN\" with the token of --web-token"};
  }
  if (request.method != "GET" && request.method != "HEAD") {
    const std::string own_origin = "http://" + std::string(request.host);
    if (request.origin && !equal_ignoring_case(*request.origin, own_origin))
      return Refusal{403, "a change from origin " + std::string(*request.origin) +
                              " is refused; change the terminal from the panel's own page or without Origin"};
    if (!is_json_type(request.content_type))
      return Refusal{415,
                     "a change must be sent as application/json, not \"" + std::string(request.content_type) + "\""};
  }
  return std::nullopt;
}

std::string parse_web_address(const std::string &text, std::string &address, std::uint16_t &port) {
  const std::size_t colon = text.rfind(':');
  address = colon == std::string::npos ? "127.0.0.1" : text.substr(0, colon);
  const std::string port_text = colon == std::string::npos ? text : text.substr(colon + 1);
  if (!is_listen_address(address)) return "--web " + text + ": the address must be an IPv4 address such as 127.0.0.1";
  const auto n = vekx::whole_number(port_text, 0, 65535);
  if (!n) return "--web " + text + ": the port must be a number 0..65535 (0: the system picks)";
  port = static_cast<std::uint16_t>(*n);
  return {};
}

std::optional<std::string> read_token_file(const std::string &path, std::string &why) {
  errno = 0;
  std::ifstream in(path);
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

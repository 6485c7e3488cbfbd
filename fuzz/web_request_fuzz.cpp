// What the web panel makes of a request before it reaches the terminal: its
// Host, Authorization, Origin and Content-Type headers against the rules,
// the --web address, and a command body. None of it reads beyond its input;
// a refused request is always refused with a status of the rules; a token
// that differs from the panel's never passes; a body is taken only as an
// object.
#include <cstdint>
#include <string>
#include <string_view>

#include "terminal_door.h"
#include "web_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string input(reinterpret_cast<const char *>(data), size);  // exact-size heap copy
  // The input's parts, split at zero bytes: host, authorization, origin,
  // content type, body.
  std::string_view rest = input, parts[5];
  for (auto &part : parts) {
    const std::size_t end = rest.find('\0');
    part = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  }
  const vekxsim::web::Access access{"127.0.0.1", 8080, std::string("token")};
  for (const char *method : {"GET", "POST"}) {
    const auto refused = vekxsim::web::refusal(access, {method, parts[0], parts[2], parts[1], parts[3]});
    if (refused && refused->status != 401 && refused->status != 403 && refused->status != 415) __builtin_trap();
    if (!refused && parts[1] != "Bearer token") __builtin_trap();
  }
  std::string address, why;
  std::uint16_t port = 0;
  vekxsim::web::parse_web_address(std::string(parts[0]), address, port);
  const auto request = vekxsim::web::command_request(std::string(parts[4]), why);
  if (request && !request->is_object()) __builtin_trap();
  if (!request && why.empty()) __builtin_trap();
  return 0;
}

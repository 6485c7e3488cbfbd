// What the web panel answers to one connection's bytes, through the parser,
// bounds, safety rules and routes to a stand-in terminal: every answer is
// HTTP with a status, every JSON answer valid UTF-8 JSON, a refusal the
// connection's last answer, and no command runs without the panel's token.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "web_panel.h"

namespace {

using vekxsim::web::Json;

vekxsim::TrafficRecorder traffic;
int commands_run = 0;

const vekxsim::web::WebPanel &panel() {
  static const vekxsim::web::WebPanel p({[](const Json &request) {
                                           ++commands_run;
                                           return Json{{"ok", true}, {"reply", "done"}, {"request", request}};
                                         },
                                         [] {
                                           return Json{{"weight", 1.5}};
                                         },
                                         traffic, 41701},
                                        {"127.0.0.1", 0, std::string("token")});
  return p;
}

// Whether the bytes hold the panel's token after the Bearer scheme, whose
// name HTTP takes in any case.
bool carries_token(const std::string &bytes) {
  constexpr std::string_view scheme = "bearer";
  for (std::size_t at = bytes.find(" token"); at != std::string::npos; at = bytes.find(" token", at + 1))
    if (at >= scheme.size() &&
        std::equal(scheme.begin(), scheme.end(), bytes.begin() + static_cast<long>(at - scheme.size()),
                   [](char s, char b) { return s == std::tolower(static_cast<unsigned char>(b)); }))
      return true;
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  // ":0\r" (a Host of port 0) stands for the port the panel was given.
  std::string bytes(reinterpret_cast<const char *>(data), size);
  const std::string port = ":" + std::to_string(panel().port()) + "\r";
  for (std::size_t at = 0; (at = bytes.find(":0\r", at)) != std::string::npos; at += port.size())
    bytes.replace(at, 3, port);
  commands_run = 0;
  const auto answers = vekxsim::web::answers_to(bytes, panel().handlers());
  for (std::size_t i = 0; i < answers.size(); ++i) {
    const auto &a = answers[i];
    if (a.status < 200 || a.status > 599) __builtin_trap();
    if (a.status >= 400 && i + 1 != answers.size()) __builtin_trap();
    if (a.type == "application/json" && !nlohmann::json::accept(a.body)) __builtin_trap();
  }
  if (commands_run > 0 && !carries_token(bytes)) __builtin_trap();
  return 0;
}

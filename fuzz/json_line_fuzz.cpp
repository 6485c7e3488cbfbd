// Any line on vekxsim's JSON control channel: reading it as a request
// either gives a request or a reason, never a crash, and any text in a
// refusal is written as JSON that reads back.
#include <cstdint>
#include <string>
#include <variant>

#include "control_json.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string line(reinterpret_cast<const char *>(data), size);  // exact-size heap copy
  const auto parsed = vekxsim::parse_json_line(line);
  if (const auto *request = std::get_if<vekxsim::Json>(&parsed)) vekxsim::json_request(*request);
  const std::string answer = vekxsim::json_line(vekxsim::json_form(vekxsim::ControlReply::refused(line)));
  if (!nlohmann::json::accept(answer)) __builtin_trap();
  return 0;
}

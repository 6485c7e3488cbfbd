#include "exit_status.h"

#include <vector>

#include "vekx_wire.h"
#include "vekxapi.h"

namespace vekx_tool {

namespace {

// The node a field name picks, as the library selects it; 0 when it names none.
int node_of_field(const std::string &field) {
  std::vector<std::uint8_t> request(vekx::record_overhead, 0);
  vekx::put_name(request, vekx::offset::target_name, field.c_str());
  const vekx::NodeSelection s = vekx::select_node(request);
  return s.result == VEKX_OK ? s.node_index + 1 : 0;
}

int exit_status_of(std::int16_t result, ResultOrigin origin, const CallContext &context) {
  if (result == VEKX_OK) return exit_status::success;
  if (result >= VEKX_WSAEINTR) return exit_status::sockets_error;
  if (vekx_common::is_terminal_status(result, origin, context)) return exit_status::terminal_status;
  return result == VEKX_NO_ANSWER ? exit_status::no_answer : exit_status::refused;
}

}  // namespace

ResultDescription describe_call_result(std::int16_t result, ResultOrigin origin, CallContext context) {
  if (context.node == 0 && !context.field.empty()) context.node = node_of_field(context.field);
  return {vekx_common::describe_result(result, origin, context), exit_status_of(result, origin, context)};
}

}  // namespace vekx_tool

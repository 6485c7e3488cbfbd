#include "result_text.h"

#include <cstdlib>
#include <vector>

#include "sockets_errors.h"
#include "terminal_status.h"
#include "vekx_wire.h"
#include "vekxapi.h"

namespace vekx_tool {

namespace {

const char *library_meaning(std::int16_t result) {
  switch (result) {
    case VEKX_OK:
      return "success";
    case VEKX_ALREADY_REGISTERED:
      return "already registered";
    case VEKX_NOT_REGISTERED:
      return "not registered";
    case VEKX_NO_MEMORY:
      return "no memory for the write request";
    case VEKX_NO_ANSWER:
      return "no usable answer";
    case VEKX_BAD_ARGUMENT:
      return "bad argument";
    case VEKX_BAD_NODE:
      return "bad node";
    case VEKX_BAD_ADDRESS:
      return "bad address";
    default:
      return nullptr;
  }
}

// The node a call went to: its number, or 0 when the field names none.
int node_of(const CallContext &c) {
  if (c.node != 0) return c.node;
  std::vector<std::uint8_t> request(vekx::record_overhead, 0);
  vekx::put_name(request, vekx::offset::target_name, c.field.c_str());
  const vekx::NodeSelection s = vekx::select_node(request);
  return s.result == VEKX_OK ? s.node_index + 1 : 0;
}

// The node's entry of the address list; empty when the list has none.
std::string address_of_node(const std::string &list, int node) {
  std::size_t start = 0;
  for (int i = 1; i < node; ++i) {
    start = list.find(',', start);
    if (start == std::string::npos) return {};
    ++start;
  }
  return list.substr(start, list.find(',', start) - start);
}

std::string terminal_port_text() {
  const char *text = std::getenv(vekx::terminal_port_variable);
  return std::to_string(text ? vekx::port_from_text(text, vekx::highest_terminal_port).value_or(0)
                             : vekx::default_port);
}

// The port variable that makes registration fail with 2, if one does.
std::string bad_port_variable() {
  for (const auto &[name, highest] : {std::pair{vekx::terminal_port_variable, vekx::highest_terminal_port},
                                      std::pair{vekx::local_port_variable, vekx::highest_local_port}}) {
    const char *text = std::getenv(name);
    if (text && !vekx::port_from_text(text, highest))
      return std::string(name) + "=" + text + " is not a port number from 1 to " + std::to_string(highest);
  }
  return {};
}

std::string terminal_status_text(std::int16_t status) {
  std::string text = "terminal status " + std::to_string(status);
  if (const char *meaning = vekx_common::terminal_status::meaning(status))
    text += std::string(" (vekxsim: ") + meaning + "; a terminal's status bytes are its own)";
  return text;
}

}  // namespace

ResultDescription describe_result(std::int16_t result, ResultOrigin origin, const CallContext &context) {
  const std::string number = std::to_string(result);
  if (result == VEKX_OK) return {"0 success", exit_status::success};
  if (result == VEKX_WSAENOTSOCK) {
    const int node = node_of(context);
    return {number + " node " + std::to_string(node) + " has no address in " + context.address_list,
            exit_status::sockets_error};
  }
  if (result >= VEKX_WSAEINTR)
    return {number + " " + vekx_common::sockets_error_meaning(result), exit_status::sockets_error};

  const bool own_code = library_meaning(result) != nullptr;
  if (origin == ResultOrigin::terminal || (result > 0 && result <= 255 && !own_code) ||
      (origin == ResultOrigin::read_or_write && result == VEKX_BAD_ADDRESS))
    return {terminal_status_text(result), exit_status::terminal_status};
  if (!own_code) return {number + " unknown result", exit_status::refused};

  const int status = result == VEKX_NO_ANSWER ? exit_status::no_answer : exit_status::refused;
  std::string text = number + " " + library_meaning(result);
  if (result == VEKX_NO_ANSWER) {
    const std::string address = address_of_node(context.address_list, node_of(context));
    if (!address.empty()) text += " from " + address + ":" + terminal_port_text();
  }
  if (result == VEKX_BAD_ARGUMENT && context.field.empty() && context.node == 0) {
    if (const std::string cause = bad_port_variable(); !cause.empty()) text += ": " + cause;
  }
  if (origin == ResultOrigin::read_or_write && result > 0) text += " or " + terminal_status_text(result);
  return {text, status};
}

}  // namespace vekx_tool

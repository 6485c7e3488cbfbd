#include "result_text.h"

#include <algorithm>
#include <cstdlib>

#include "result_meanings.h"
#include "vekx_wire.h"
#include "vekxapi.h"

namespace vekx_common {

namespace {

// The row that words a result of this origin; nullptr for a code the table
// lacks.
const ResultMeaning *row_of(std::int16_t result, ResultOrigin origin, const CallContext &context) {
  if (is_terminal_status(result, origin, context)) return result_meaning(Origin::vekxsim, result);
  if (result >= VEKX_WSAEINTR) return result_meaning(Origin::sockets, result);
  if (origin == ResultOrigin::one_way)
    if (const ResultMeaning *row = result_meaning(Origin::one_way, result)) return row;
  return result_meaning(Origin::library, result);
}

// The node's entry of the address list; empty when the list has none.
std::string address_of_node(const std::string &list, int node) {
  if (node < 1) return {};
  std::size_t start = 0;
  for (int i = 1; i < node; ++i) {
    start = list.find(',', start);
    if (start == std::string::npos) return {};
    ++start;
  }
  return list.substr(start, list.find(',', start) - start);
}

std::string port_text(const char *variable, long highest, int offset) {
  const auto port = vekx::port_from_environment(variable, highest);
  return port ? std::to_string(*port + offset) : std::string("?");
}

// The port variable that makes registration fail with 2, if one does.
std::string bad_port_variable() {
  for (const auto &[name, highest] : {std::pair{vekx::terminal_port_variable, vekx::highest_terminal_port},
                                      std::pair{vekx::local_port_variable, vekx::highest_local_port}}) {
    if (!vekx::port_from_environment(name, highest))
      return std::string(name) + "=" + vekx::platform::environment_variable(name).value_or("") +
             " is not a port number from 1 to " + std::to_string(highest);
  }
  return {};
}

// Which rule of a field name the library finds broken (2 for one '/', 4
// for the rest), in the part of the name that is sent; empty when it keeps
// them all.
std::string field_name_problem(const std::string &field) {
  const std::string name = field.substr(0, vekx::name_slot_size);
  const std::string cut = name.size() < field.size() ? " in its first 10 characters, all that is sent" : "";
  const std::string form = "; a field name looks like /t1/wt101";
  const std::size_t first = name.find('/');
  if (first == std::string::npos) return field + " has no '/'" + cut + form;
  const std::size_t second = name.find('/', first + 1);
  if (second == std::string::npos) return field + " has one '/'" + cut + form;
  const std::string letter = name.substr(first + 1, 1);
  if (letter != "t" && letter != "T") return field + " has the node letter '" + letter + "' where t or T belongs";
  const int index = vekx::node_index_of(name[first + 2]);
  if (index < 0 || index >= vekx::node_count)
    return field + " has the node character '" + name.substr(first + 2, 1) + "'; nodes 1 to 16 are 1 to 9 and : to @";
  return {};
}

std::string terminal_status_text(std::int16_t status) {
  std::string text = "terminal status " + std::to_string(status);
  if (const ResultMeaning *row = result_meaning(Origin::vekxsim, status))
    text += std::string(" (vekxsim: ") + row->words + "; a terminal's status bytes are its own)";
  return text;
}

// What the call tells of the cause of one of the library's own results.
std::string cause_of(std::int16_t result, ResultOrigin origin, const CallContext &c) {
  const std::string address = address_of_node(c.address_list, c.node);
  if (result == VEKX_NO_ANSWER && !address.empty())
    return (origin == ResultOrigin::one_way ? " to " : " from ") + address + ":" +
           port_text(vekx::terminal_port_variable, vekx::highest_terminal_port, 0);
  if ((result == VEKX_BAD_ARGUMENT || result == VEKX_BAD_NODE) && !c.field.empty())
    return ": " + field_name_problem(c.field);
  if (result == VEKX_BAD_ARGUMENT && c.node == 0)
    if (const std::string variable = bad_port_variable(); !variable.empty()) return ": " + variable;
  return {};
}

}  // namespace

bool is_terminal_status(std::int16_t result, ResultOrigin origin, const CallContext &context) {
  if (result < 0 || result > 255) return false;
  switch (origin) {
    case ResultOrigin::terminal:
      return true;
    case ResultOrigin::read_or_write:
      // The library checks a field name before it sends anything, so 2 and
      // 4 for a name that keeps the rules came from the terminal; 1 may be
      // either's.
      if (result == VEKX_BAD_ARGUMENT || result == VEKX_BAD_NODE) return field_name_problem(context.field).empty();
      return result != VEKX_OK && result != VEKX_NO_ANSWER;
    default:
      return false;
  }
}

std::string describe_result(std::int16_t result, ResultOrigin origin, const CallContext &context) {
  const std::string number = std::to_string(result);
  if (result == VEKX_OK) return origin == ResultOrigin::one_way ? "0 sent (no reply expected)" : "0 success";
  if (is_terminal_status(result, origin, context)) return terminal_status_text(result);
  if (result == VEKX_WSAENOTSOCK)
    return number + " node " + std::to_string(context.node) + " has no address in " + context.address_list;
  if (result == VEKX_WSAEADDRINUSE)
    return number + " local UDP port " +
           port_text(vekx::local_port_variable, vekx::highest_local_port, std::max(context.node, 1) - 1) +
           " is in use by another program (a console, vekx or vekxsim?); set " + vekx::local_port_variable +
           " to a free port";
  if (result >= VEKX_WSAEINTR) return number + " " + sockets_error_words(result);
  const ResultMeaning *row = row_of(result, origin, context);
  if (row == nullptr) return number + " unknown result";
  std::string text = number + " " + row->words + cause_of(result, origin, context);
  if (origin == ResultOrigin::read_or_write && result == VEKX_NO_ANSWER) text += " or " + terminal_status_text(result);
  return text;
}

std::string result_details(std::int16_t result, ResultOrigin origin, const CallContext &context) {
  if (const ResultMeaning *row = row_of(result, origin, context)) return row->details;
  if (is_terminal_status(result, origin, context)) return "The terminal answered with a status byte of its own.";
  if (result >= VEKX_WSAEINTR) return "The PC's sockets layer failed with this Windows Sockets error number.";
  return "The library gave a result it does not document.";
}

}  // namespace vekx_common

#include "result_text.h"

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

const char *sockets_meaning(std::int16_t result) {
  switch (result) {
    case VEKX_WSAEINTR:
      return "interrupted call";
    case VEKX_WSAEBADF:
      return "bad socket handle";
    case VEKX_WSAEACCES:
      return "permission denied";
    case VEKX_WSAEFAULT:
      return "bad memory address";
    case VEKX_WSAEINVAL:
      return "invalid argument";
    case VEKX_WSAEMFILE:
      return "too many open sockets";
    case VEKX_WSAEWOULDBLOCK:
      return "operation would block";
    case VEKX_WSAEINPROGRESS:
      return "operation in progress";
    case VEKX_WSAENOTSOCK:
      return "node has no address";
    case VEKX_WSAEMSGSIZE:
      return "message too long";
    case VEKX_WSAEADDRINUSE:
      return "address in use";
    case VEKX_WSAEADDRNOTAVAIL:
      return "address not available";
    case 10050:
      return "network is down";
    case VEKX_WSAENETUNREACH:
      return "network unreachable";
    case 10054:
      return "connection reset";
    case 10055:
      return "no buffer space";
    case VEKX_WSAECONNREFUSED:
      return "connection refused";
    case VEKX_WSAEHOSTUNREACH:
      return "host unreachable";
    default:
      return "sockets error";
  }
}

}  // namespace

ResultDescription describe_result(std::int16_t result, ResultOrigin origin) {
  const std::string number = std::to_string(result);
  if (result == VEKX_OK) return {"0 success", exit_status::success};
  if (result >= 10004) return {number + " " + sockets_meaning(result), exit_status::sockets_error};

  const bool own_code = library_meaning(result) != nullptr;
  if (origin == ResultOrigin::terminal || (result > 0 && result <= 255 && !own_code) ||
      (origin == ResultOrigin::read_or_write && result == VEKX_BAD_ADDRESS))
    return {"terminal status " + number, exit_status::terminal_status};
  if (!own_code) return {number + " unknown result", exit_status::refused};

  const int status = result == VEKX_NO_ANSWER ? exit_status::no_answer : exit_status::refused;
  std::string text = number + " " + library_meaning(result);
  if (origin == ResultOrigin::read_or_write && result > 0) text += " or terminal status " + number;
  return {text, status};
}

}  // namespace vekx_tool

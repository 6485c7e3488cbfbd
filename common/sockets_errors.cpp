#include "sockets_errors.h"

#include "vekxapi.h"

namespace vekx_common {

namespace {

struct Meaning {
  int number;
  const char *words;
};

constexpr Meaning meanings[] = {
    {VEKX_WSAEINTR, "interrupted call"},
    {VEKX_WSAEBADF, "bad socket handle"},
    {VEKX_WSAEACCES, "permission denied"},
    {VEKX_WSAEFAULT, "bad memory address"},
    {VEKX_WSAEINVAL, "invalid argument"},
    {VEKX_WSAEMFILE, "too many open sockets"},
    {VEKX_WSAEWOULDBLOCK, "operation would block"},
    {VEKX_WSAEINPROGRESS, "operation in progress"},
    {VEKX_WSAENOTSOCK, "node has no address"},
    {VEKX_WSAEMSGSIZE, "message too long"},
    {VEKX_WSAEADDRINUSE, "address in use"},
    {VEKX_WSAEADDRNOTAVAIL, "address not available"},
    {VEKX_WSAENETDOWN, "network is down"},
    {VEKX_WSAENETUNREACH, "network unreachable"},
    {VEKX_WSAECONNRESET, "connection reset"},
    {VEKX_WSAENOBUFS, "no buffer space"},
    {VEKX_WSAECONNREFUSED, "connection refused"},
    {VEKX_WSAEHOSTUNREACH, "host unreachable"},
};

}  // namespace

const char *sockets_error_meaning(int number) {
  for (const Meaning &m : meanings)
    if (m.number == number) return m.words;
  return "sockets error";
}

}  // namespace vekx_common

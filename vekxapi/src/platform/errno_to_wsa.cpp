// One place maps the system's errno values to the Windows Sockets error
// numbers that the library's callers expect.
#include "platform.h"

#if !defined(_WIN32)
#  include <cerrno>

#  include "vekxapi.h"

namespace vekx::platform {

namespace {
struct Mapping {
  int err;
  int wsa;
};

// Every errno that socket, bind, connect, fcntl, poll, send and recv document
// on Linux, with the Windows Sockets number of the same meaning.
constexpr Mapping table[] = {
    {EINTR, VEKX_WSAEINTR},
    {EBADF, VEKX_WSAEBADF},
    {EACCES, VEKX_WSAEACCES},
    {EPERM, VEKX_WSAEACCES},
    {EFAULT, VEKX_WSAEFAULT},
    {EINVAL, VEKX_WSAEINVAL},
    {EMFILE, VEKX_WSAEMFILE},
    {ENFILE, VEKX_WSAEMFILE},
    {EWOULDBLOCK, VEKX_WSAEWOULDBLOCK},
    {EAGAIN, VEKX_WSAEWOULDBLOCK},
    {EINPROGRESS, VEKX_WSAEWOULDBLOCK},
    {EALREADY, VEKX_WSAEALREADY},
    {ENOTSOCK, VEKX_WSAENOTSOCK},
    {EDESTADDRREQ, VEKX_WSAEDESTADDRREQ},
    {EMSGSIZE, VEKX_WSAEMSGSIZE},
    {EPROTOTYPE, VEKX_WSAEPROTOTYPE},
    {ENOPROTOOPT, VEKX_WSAENOPROTOOPT},
    {EPROTONOSUPPORT, VEKX_WSAEPROTONOSUPPORT},
    {ESOCKTNOSUPPORT, VEKX_WSAESOCKTNOSUPPORT},
    {EOPNOTSUPP, VEKX_WSAEOPNOTSUPP},
    {EPFNOSUPPORT, VEKX_WSAEPFNOSUPPORT},
    {EAFNOSUPPORT, VEKX_WSAEAFNOSUPPORT},
    {EADDRINUSE, VEKX_WSAEADDRINUSE},
    {EADDRNOTAVAIL, VEKX_WSAEADDRNOTAVAIL},
    {ENETDOWN, VEKX_WSAENETDOWN},
    {ENETUNREACH, VEKX_WSAENETUNREACH},
    {ENETRESET, VEKX_WSAENETRESET},
    {ECONNABORTED, VEKX_WSAECONNABORTED},
    {ECONNRESET, VEKX_WSAECONNRESET},
    {ENOBUFS, VEKX_WSAENOBUFS},
    {ENOMEM, VEKX_WSAENOBUFS},
    {EISCONN, VEKX_WSAEISCONN},
    {ENOTCONN, VEKX_WSAENOTCONN},
    {ESHUTDOWN, VEKX_WSAESHUTDOWN},
    {EPIPE, VEKX_WSAESHUTDOWN},
    {ETIMEDOUT, VEKX_WSAETIMEDOUT},
    {ECONNREFUSED, VEKX_WSAECONNREFUSED},
    {ELOOP, VEKX_WSAELOOP},
    {ENAMETOOLONG, VEKX_WSAENAMETOOLONG},
    {EHOSTDOWN, VEKX_WSAEHOSTDOWN},
    {EHOSTUNREACH, VEKX_WSAEHOSTUNREACH},
};
}  // namespace

int wsa_error_from_errno(int err) {
  for (const Mapping &m : table)
    if (m.err == err) return m.wsa;
  // An errno without a Windows Sockets counterpart still reaches the caller
  // as a sockets error: the generic "invalid argument" one.
  return VEKX_WSAEINVAL;
}

}  // namespace vekx::platform
#endif

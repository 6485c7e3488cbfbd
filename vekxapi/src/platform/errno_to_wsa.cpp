// One place maps the system's errno values to the Windows Sockets error
// numbers that the library's callers expect.
#include "platform.h"

#if !defined(_WIN32)
#  include <cerrno>

namespace vekx::platform {

namespace {
struct Mapping {
  int err;
  int wsa;
};

// Every errno that socket, bind, connect, fcntl, poll, send and recv document
// on Linux, with the Windows Sockets number of the same meaning.
constexpr Mapping table[] = {
    {EINTR, 10004},           {EBADF, 10009},           {EACCES, 10013},        {EPERM, 10013},
    {EFAULT, 10014},          {EINVAL, 10022},          {EMFILE, 10024},        {ENFILE, 10024},
    {EWOULDBLOCK, 10035},     {EINPROGRESS, 10035},     {EALREADY, 10037},      {ENOTSOCK, 10038},
    {EDESTADDRREQ, 10039},    {EMSGSIZE, 10040},        {EPROTOTYPE, 10041},    {ENOPROTOOPT, 10042},
    {EPROTONOSUPPORT, 10043}, {ESOCKTNOSUPPORT, 10044}, {EOPNOTSUPP, 10045},    {EPFNOSUPPORT, 10046},
    {EAFNOSUPPORT, 10047},    {EADDRINUSE, 10048},      {EADDRNOTAVAIL, 10049}, {ENETDOWN, 10050},
    {ENETUNREACH, 10051},     {ENETRESET, 10052},       {ECONNABORTED, 10053},  {ECONNRESET, 10054},
    {ENOBUFS, 10055},         {ENOMEM, 10055},          {EISCONN, 10056},       {ENOTCONN, 10057},
    {ESHUTDOWN, 10058},       {ETIMEDOUT, 10060},       {ECONNREFUSED, 10061},  {ELOOP, 10062},
    {ENAMETOOLONG, 10063},    {EHOSTDOWN, 10064},       {EHOSTUNREACH, 10065},  {EPIPE, 10058},
    {EAGAIN, 10035},
};
}  // namespace

int wsa_error_from_errno(int err) {
  for (const Mapping &m : table)
    if (m.err == err) return m.wsa;
  // An errno without a Windows Sockets counterpart still reaches the caller
  // as a sockets error: the generic "invalid argument" one.
  return 10022;
}

}  // namespace vekx::platform
#endif

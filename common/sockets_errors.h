// What a Windows Sockets error number means, in a few words, for the
// messages of the vekx tool and the simulator's log.
#ifndef VEKX_COMMON_SOCKETS_ERRORS_H
#define VEKX_COMMON_SOCKETS_ERRORS_H

namespace vekx_common {

// "address in use" for 10048; "sockets error" for a number without words.
const char *sockets_error_meaning(int number);

}  // namespace vekx_common

#endif

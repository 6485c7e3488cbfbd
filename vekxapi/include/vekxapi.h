/*
 * vekxapi - client library for the shared-data service of VekX terminals.
 *
 * One UDP request/response exchange per field read or write, one datagram per
 * display or keystroke message. All state is module-wide; register first,
 * close last, call from one thread at a time.
 *
 * Every function returns a signed 16-bit result:
 *   0             success (for reads and writes: the terminal's status 0)
 *   -1 -2 -4      already registered / not registered / no memory for a write
 *   1 2 4 5       no usable answer / bad argument / bad node / bad address
 *   0..255        after an accepted reply, the terminal's status byte
 *   10004 and up  a Windows Sockets error number
 * Results 1, 2 and 4 are also possible terminal status values; the library
 * does not tell the two apart.
 */
#ifndef VEKXAPI_H
#define VEKXAPI_H

/* Visual C++ before 2010, the compiler of many XP-era PCs, has no
 * <stdint.h>: there short is 16 bits and int 32 bits, on 32- and 64-bit
 * Windows alike. */
#if defined(_MSC_VER) && _MSC_VER < 1600
typedef short int16_t;
typedef int int32_t;
#else
#  include <stdint.h>
#endif

#if defined(_WIN32)
#  define VEKX_STDCALL __stdcall
#  define VEKX_CDECL   __cdecl
#  if defined(VEKXAPI_BUILDING)
/* vekxapi.def lists the exports: undecorated names, fixed ordinals. */
#    define VEKX_EXPORT
#  else
#    define VEKX_EXPORT __declspec(dllimport)
#  endif
#else
#  define VEKX_STDCALL
#  define VEKX_CDECL
#  define VEKX_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Results of the library's own. */
#define VEKX_OK                 0
#define VEKX_ALREADY_REGISTERED (-1)
#define VEKX_NOT_REGISTERED     (-2)
#define VEKX_NO_MEMORY          (-4)
#define VEKX_NO_ANSWER          1
#define VEKX_BAD_ARGUMENT       2
#define VEKX_BAD_NODE           4
#define VEKX_BAD_ADDRESS        5

/* The Windows Sockets error numbers the library returns. On other systems
 * the operating system's error is mapped to the number of the same meaning. */
#define VEKX_WSAEINTR           10004
#define VEKX_WSAEBADF           10009
#define VEKX_WSAEACCES          10013
#define VEKX_WSAEFAULT          10014
#define VEKX_WSAEINVAL          10022
#define VEKX_WSAEMFILE          10024
#define VEKX_WSAEWOULDBLOCK     10035
#define VEKX_WSAEINPROGRESS     10036
#define VEKX_WSAEALREADY        10037
#define VEKX_WSAENOTSOCK        10038 /* also: the node has no address */
#define VEKX_WSAEDESTADDRREQ    10039
#define VEKX_WSAEMSGSIZE        10040
#define VEKX_WSAEPROTOTYPE      10041
#define VEKX_WSAENOPROTOOPT     10042
#define VEKX_WSAEPROTONOSUPPORT 10043
#define VEKX_WSAESOCKTNOSUPPORT 10044
#define VEKX_WSAEOPNOTSUPP      10045
#define VEKX_WSAEPFNOSUPPORT    10046
#define VEKX_WSAEAFNOSUPPORT    10047
#define VEKX_WSAEADDRINUSE      10048
#define VEKX_WSAEADDRNOTAVAIL   10049
#define VEKX_WSAENETDOWN        10050
#define VEKX_WSAENETUNREACH     10051
#define VEKX_WSAENETRESET       10052
#define VEKX_WSAECONNABORTED    10053
#define VEKX_WSAECONNRESET      10054
#define VEKX_WSAENOBUFS         10055
#define VEKX_WSAEISCONN         10056
#define VEKX_WSAENOTCONN        10057
#define VEKX_WSAESHUTDOWN       10058
#define VEKX_WSAETIMEDOUT       10060
#define VEKX_WSAECONNREFUSED    10061
#define VEKX_WSAELOOP           10062
#define VEKX_WSAENAMETOOLONG    10063
#define VEKX_WSAEHOSTDOWN       10064
#define VEKX_WSAEHOSTUNREACH    10065

/* Process types of VekRegisterProcess. */
#define VEKX_PROCESS_TYPE_1 1 /* registers as "/w1/w0001" */
#define VEKX_PROCESS_TYPE_2 2 /* registers as "/w2/w0002" */

/* Key kinds of VekSendKeystroke. */
#define VEKX_KEY_KIND_1 1
#define VEKX_KEY_KIND_2 2

/* Standard calling convention (the form callers bind by name). */
VEKX_EXPORT int16_t VEKX_STDCALL VekRegisterProcess(int16_t process_type, const char *address_list,
                                                    int32_t address_count);
VEKX_EXPORT int16_t VEKX_STDCALL VekCloseProcess(void);
VEKX_EXPORT int16_t VEKX_STDCALL VekRead(const char *field_name, int16_t buffer_size, void *buffer, int16_t *count_out);
VEKX_EXPORT int16_t VEKX_STDCALL VekFormattedRead(const char *field_name, int16_t buffer_size, void *buffer,
                                                  int16_t *count_out);
VEKX_EXPORT int16_t VEKX_STDCALL VekReadP(const char *field_name, int16_t buffer_size, void *buffer);
VEKX_EXPORT int16_t VEKX_STDCALL VekWrite(const char *field_name, int16_t data_length, const void *data);
VEKX_EXPORT int16_t VEKX_STDCALL VekFormattedWrite(const char *field_name, int16_t data_length, const void *data);
/* Sends the 16 bytes at text, unchanged. */
VEKX_EXPORT int16_t VEKX_STDCALL VekDisplayText(int16_t node, const char *text);
VEKX_EXPORT int16_t VEKX_STDCALL VekResetDisplay(int16_t node);
/* Only the low byte of key_code is sent. */
VEKX_EXPORT int16_t VEKX_STDCALL VekSendKeystroke(int16_t node, int16_t key_kind, int32_t key_code);

/* C calling convention twins; there is no VekReadPC. */
VEKX_EXPORT int16_t VEKX_CDECL VekRegisterProcessC(int16_t process_type, const char *address_list,
                                                   int32_t address_count);
VEKX_EXPORT int16_t VEKX_CDECL VekCloseProcessC(void);
VEKX_EXPORT int16_t VEKX_CDECL VekReadC(const char *field_name, int16_t buffer_size, void *buffer, int16_t *count_out);
VEKX_EXPORT int16_t VEKX_CDECL VekFormattedReadC(const char *field_name, int16_t buffer_size, void *buffer,
                                                 int16_t *count_out);
VEKX_EXPORT int16_t VEKX_CDECL VekWriteC(const char *field_name, int16_t data_length, const void *data);
VEKX_EXPORT int16_t VEKX_CDECL VekFormattedWriteC(const char *field_name, int16_t data_length, const void *data);
VEKX_EXPORT int16_t VEKX_CDECL VekDisplayTextC(int16_t node, const char *text);
VEKX_EXPORT int16_t VEKX_CDECL VekResetDisplayC(int16_t node);
VEKX_EXPORT int16_t VEKX_CDECL VekSendKeystrokeC(int16_t node, int16_t key_kind, int32_t key_code);

#ifdef __cplusplus
}
#endif

#endif /* VEKXAPI_H */

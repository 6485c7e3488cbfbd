/* export_calls TERMINAL-PORT LOCAL-PORT: VEKXAPI.dll bound at run time, against
 * a terminal on 127.0.0.1. Sets the ports with SetEnvironmentVariableA (fault
 * caught: a library reading the C runtime's start-up copy of the environment
 * hears nothing) and calls the 19 exports through GetProcAddress as
 * vekxapi.h declares them, comparing the stack pointer before and after
 * (fault caught: an export whose cleanup of its arguments is not its declared
 * convention's, e.g. a __stdcall name bound to __cdecl code). Built with -O0. */
#include <stdio.h>
#include <windows.h>

#include "vekxapi.h"

#if defined(__i386__)
#  define STACK_POINTER(to) __asm__ volatile("movl %%esp, %0" : "=r"(to))
#else
#  define STACK_POINTER(to) __asm__ volatile("movq %%rsp, %0" : "=r"(to))
#endif

static HMODULE dll;
static int faults;
static int16_t result;

#define CALL(name, ...)                                                                                            \
  do {                                                                                                             \
    __typeof__(&name) function = (__typeof__(&name))(void (*)(void))GetProcAddress(dll, #name);                    \
    uintptr_t before, after;                                                                                       \
    if (function == NULL) break;                                                                                   \
    STACK_POINTER(before);                                                                                         \
    result = function(__VA_ARGS__);                                                                                \
    STACK_POINTER(after);                                                                                          \
    faults += before != after;                                                                                     \
    printf("%s: %s returned %d; the stack pointer moved by %ld\n", before == after ? "ok" : "FAIL", #name, result, \
           (long)(after - before));                                                                                \
  } while (0)

int main(int argc, char **argv) {
  char weight[17] = "", b[17];
  int16_t n = 0, weight_result;
  if (argc != 3 || !SetEnvironmentVariableA("VEKX_TERMINAL_PORT", argv[1]) ||
      !SetEnvironmentVariableA("VEKX_LOCAL_PORT", argv[2]) || (dll = LoadLibraryA("VEKXAPI.dll")) == NULL) {
    fprintf(stderr, "usage: export_calls TERMINAL-PORT LOCAL-PORT, with VEKXAPI.dll beside it\n");
    return 2;
  }
  CALL(VekRegisterProcess, VEKX_PROCESS_TYPE_1, "127.0.0.1", 1);
  CALL(VekRead, "/t1/wt101", (int16_t)sizeof weight, weight, &n);
  weight_result = result;
  CALL(VekFormattedRead, "/t1/wt101", (int16_t)sizeof b, b, &n);
  CALL(VekReadP, "/t1/wt101", (int16_t)sizeof b, b);
  CALL(VekWrite, "/t1/Lit50", 2, "ok");
  CALL(VekFormattedWrite, "/t1/Lit50", 2, "ok");
  CALL(VekDisplayText, 1, "export_calls");
  CALL(VekResetDisplay, 1);
  CALL(VekSendKeystroke, 1, 1, 'A');
  CALL(VekCloseProcess);
  CALL(VekRegisterProcessC, VEKX_PROCESS_TYPE_1, "127.0.0.1", 1);
  CALL(VekReadC, "/t1/wt101", (int16_t)sizeof b, b, &n);
  CALL(VekFormattedReadC, "/t1/wt101", (int16_t)sizeof b, b, &n);
  CALL(VekWriteC, "/t1/Lit50", 2, "ok");
  CALL(VekFormattedWriteC, "/t1/Lit50", 2, "ok");
  CALL(VekDisplayTextC, 1, "export_calls");
  CALL(VekResetDisplayC, 1);
  CALL(VekSendKeystrokeC, 1, 1, 'A');
  CALL(VekCloseProcessC);
  printf("weight: %s\n", weight);
  return faults == 0 && weight_result == VEKX_OK ? 0 : 1;
}

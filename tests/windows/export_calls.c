/*
 * export_calls TERMINAL-PORT LOCAL-PORT: the kit's VEKXAPI.dll as a program
 * that binds it at run time uses it. It sets the port variables with
 * SetEnvironmentVariableA (faults caught: a library that reads the C
 * runtime's start-up copy of the environment registers on port 1701 and
 * reads nothing), then calls each of the 19 exports through GetProcAddress
 * with the prototype vekxapi.h declares, against a terminal on 127.0.0.1,
 * and compares the stack pointer before and after each call (fault caught:
 * an export whose cleanup of the arguments differs from its declared
 * convention, e.g. a __stdcall name bound to __cdecl code, moves it by the
 * arguments' size). Prints the weight of /t1/wt101; exits 1 on a fault.
 */
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <windows.h>

#include "vekxapi.h"

#if defined(__i386__)
#  define STACK_POINTER(to) __asm__ volatile("movl %%esp, %0" : "=r"(to))
#else
#  define STACK_POINTER(to) __asm__ volatile("movq %%rsp, %0" : "=r"(to))
#endif

static HMODULE dll;
static int faults;

/* Calls NAME from the DLL as vekxapi.h declares it; the result in `result`. */
#define CALL(name, ...)                                                                          \
  do {                                                                                           \
    __typeof__(&name) function = (__typeof__(&name))(void (*)(void))GetProcAddress(dll, #name); \
    uintptr_t before, after;                                                                     \
    if (function == NULL) {                                                                      \
      printf("FAIL: VEKXAPI.dll does not export %s\n", #name);                                   \
      faults++;                                                                                  \
      break;                                                                                     \
    }                                                                                            \
    STACK_POINTER(before);                                                                       \
    result = function(__VA_ARGS__);                                                              \
    STACK_POINTER(after);                                                                        \
    if (before != after) {                                                                       \
      printf("FAIL: %s moved the caller's stack pointer by %ld bytes\n", #name,                  \
             (long)(after - before));                                                            \
      faults++;                                                                                  \
    } else {                                                                                     \
      printf("ok: %s returned %d, the caller's stack as before\n", #name, result);               \
    }                                                                                            \
  } while (0)

int main(int argc, char **argv) {
  char weight[17] = "", buffer[17] = "";
  int16_t result = 0, length = 0;
  if (argc != 3 || !SetEnvironmentVariableA("VEKX_TERMINAL_PORT", argv[1]) ||
      !SetEnvironmentVariableA("VEKX_LOCAL_PORT", argv[2])) {
    fprintf(stderr, "usage: export_calls TERMINAL-PORT LOCAL-PORT (a terminal on 127.0.0.1)\n");
    return 2;
  }
  dll = LoadLibraryA("VEKXAPI.dll");
  if (dll == NULL) {
    fprintf(stderr, "export_calls: VEKXAPI.dll does not load (error %lu): put it beside the program\n",
            (unsigned long)GetLastError());
    return 2;
  }
  /* Standard convention, then the C twins, each pair between its own
     registration and close. */
  CALL(VekRegisterProcess, VEKX_PROCESS_TYPE_1, "127.0.0.1", 1);
  CALL(VekRead, "/t1/wt101", (int16_t)sizeof weight, weight, &length);
  if (result != VEKX_OK) {
    printf("FAIL: reading /t1/wt101 returned %d: the ports set at run time were not heard\n", result);
    faults++;
  }
  CALL(VekFormattedRead, "/t1/wt101", (int16_t)sizeof buffer, buffer, &length);
  CALL(VekReadP, "/t1/wt101", (int16_t)sizeof buffer, buffer);
  CALL(VekWrite, "/t1/Lit50", 2, "ok");
  CALL(VekFormattedWrite, "/t1/Lit50", 2, "ok");
  CALL(VekDisplayText, 1, "export_calls");
  CALL(VekResetDisplay, 1);
  CALL(VekSendKeystroke, 1, 1, 'A');
  CALL(VekCloseProcess);
  CALL(VekRegisterProcessC, VEKX_PROCESS_TYPE_1, "127.0.0.1", 1);
  CALL(VekReadC, "/t1/wt101", (int16_t)sizeof buffer, buffer, &length);
  CALL(VekFormattedReadC, "/t1/wt101", (int16_t)sizeof buffer, buffer, &length);
  CALL(VekWriteC, "/t1/Lit50", 2, "ok");
  CALL(VekFormattedWriteC, "/t1/Lit50", 2, "ok");
  CALL(VekDisplayTextC, 1, "export_calls");
  CALL(VekResetDisplayC, 1);
  CALL(VekSendKeystrokeC, 1, 1, 'A');
  CALL(VekCloseProcessC);
  printf("weight: %s\n", weight);
  return faults == 0 ? 0 : 1;
}

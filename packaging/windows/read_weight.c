/*
 * read_weight: reads the weight from the KTRV program of a VekX terminal
 * through VEKXAPI.dll and prints it.
 *
 *     read_weight [ADDRESS]        (the terminal's address; 127.0.0.1)
 *
 * Built in the kit's folder, beside vekxapi.h and the import libraries:
 *   Microsoft Visual C++, from a Developer Command Prompt for the kit's
 *   architecture (x86 or x64):
 *     cl read_weight.c VEKXAPI.lib
 *   MinGW-w64, with the gcc for the kit's architecture:
 *     gcc read_weight.c -o read_weight.exe -L. -lVEKXAPI
 * It runs with VEKXAPI.dll beside it; the port variables of README.txt
 * apply.
 */
#include <stdio.h>

#include "vekxapi.h"

int main(int argc, char **argv) {
  const char *address = argc > 1 ? argv[1] : "127.0.0.1";
  char weight[17]; /* the 16 bytes of /t1/wt101 and a closing zero */
  int16_t length = 0;
  int16_t result = VekRegisterProcess(VEKX_PROCESS_TYPE_1, address, 1);
  if (result != VEKX_OK) {
    fprintf(stderr, "read_weight: VekRegisterProcess(\"%s\") returned %d: the address or a port variable "
                    "is not valid (README.txt)\n", address, result);
    return 1;
  }
  result = VekRead("/t1/wt101", (int16_t)sizeof weight, weight, &length);
  VekCloseProcess();
  if (result != VEKX_OK) {
    fprintf(stderr, "read_weight: reading /t1/wt101 from %s returned %d (1: no answer; check the address, "
                    "the cable, the firewall and VEKX_TERMINAL_PORT)\n", address, result);
    return 1;
  }
  printf("weight at %s: %s\n", address, weight);
  return 0;
}

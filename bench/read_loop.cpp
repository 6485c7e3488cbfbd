// One-byte reads with VekRead in a loop, for comparison with the same reads
// made from another language against the same terminal. Registers with
// 127.0.0.1 (the port variables point the library at the terminal), reads
// /t1/bx297 N times and prints the mean time of one read in microseconds.
//   read_loop N
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "vekxapi.h"

int main(int argc, char **argv) {
  const long reads = argc == 2 ? std::strtol(argv[1], nullptr, 10) : 0;
  if (reads < 1) {
    std::fprintf(stderr, "usage: read_loop N (N reads, 1 or more)\n");
    return 2;
  }
  if (const int r = VekRegisterProcess(1, "127.0.0.1", 1); r != 0) {
    std::fprintf(stderr, "read_loop: VekRegisterProcess returned %d\n", r);
    return 1;
  }
  char value = 0;
  int16_t count = 0;
  const auto start = std::chrono::steady_clock::now();
  for (long i = 0; i < reads; ++i) {
    if (const int r = VekRead("/t1/bx297", 1, &value, &count); r != 0) {
      std::fprintf(stderr, "read_loop: VekRead returned %d\n", r);
      return 1;
    }
  }
  const std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
  std::printf("%.2f\n", spent.count() / static_cast<double>(reads));
  VekCloseProcess();
  return 0;
}

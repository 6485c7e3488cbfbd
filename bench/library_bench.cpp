// The library's exchanges against the simulated terminal on loopback, each
// beside the raw-UDP floor of the same request against the same terminal.
#include <benchmark/benchmark.h>

#include <memory>
#include <stdexcept>

#include "raw_udp_client.h"
#include "shared_data_service.h"
#include "loopback_udp.h"
#include "vekxapi.h"

namespace {

// One terminal for the whole run, the library registered with it.
struct Bench {
  Bench() : terminal("127.0.0.1", 0, 1) {
    terminal.start();
    terminal.fields().set("/t1/bx297", {0});
    terminal.fields().set("/t1/wt101", vekx_test::text_bytes("   12.50"));
    terminal.fields().set("/t1/Lit01", {});
    vekx_test::use_ports(terminal.port(), vekx_test::free_local_port_pair());
    if (VekRegisterProcess(1, "127.0.0.1", 1) != 0) throw std::runtime_error("cannot register");
  }
  vekxsim::SharedDataService terminal;
};

Bench &bench() {
  static Bench b;
  return b;
}

void Floor_Read1(benchmark::State &state) {
  RawUdpClient raw(bench().terminal.port());
  for (auto _ : state)
    if (raw.read("/t1/bx297") != 31) state.SkipWithError("short reply");
}
BENCHMARK(Floor_Read1)->UseRealTime();

void VekRead1(benchmark::State &state) {
  bench();
  int16_t value = 0;
  int16_t count = 0;
  for (auto _ : state)
    if (VekRead("/t1/bx297", 1, &value, &count) != 0) state.SkipWithError("read failed");
}
BENCHMARK(VekRead1)->UseRealTime();

void Floor_Write(benchmark::State &state) {
  RawUdpClient raw(bench().terminal.port());
  const std::vector<std::uint8_t> value(static_cast<std::size_t>(state.range(0)), '7');
  for (auto _ : state)
    if (raw.write("/t1/Lit01", value) <= 0) state.SkipWithError("no reply");
}
BENCHMARK(Floor_Write)->Arg(1)->Arg(40)->UseRealTime();

void VekWriteN(benchmark::State &state) {
  bench();
  const std::vector<char> value(static_cast<std::size_t>(state.range(0)), '7');
  for (auto _ : state)
    if (VekWrite("/t1/Lit01", static_cast<int16_t>(value.size()), value.data()) != 0)
      state.SkipWithError("write failed");
}
BENCHMARK(VekWriteN)->Arg(1)->Arg(40)->UseRealTime();

// The console's 16 reads of one tick without an event.
void PollTick16Reads(benchmark::State &state) {
  Bench &b = bench();
  static const char *const inputs[] = {"/t1/p_100", "/t1/p_101", "/t1/p_102", "/t1/p_103", "/t1/p_108", "/t1/p_109",
                                       "/t1/p_10a", "/t1/p_10b", "/t1/p_10c", "/t1/p_10d", "/t1/p_10e", "/t1/p_10f"};
  for (const char *f : inputs) b.terminal.fields().set(f, {0});
  b.terminal.fields().set("/t1/vek15", {0});
  b.terminal.fields().set("/t1/bx298", {0});
  b.terminal.fields().set("/t1/bd001", vekx_test::text_bytes("LOWER DISPLAY TEXT"));
  int16_t count = 0;
  for (auto _ : state) {
    int16_t word = 0;
    char weight[40] = {};
    char text[50] = {};
    VekRead("/t1/vek15", 1, &word, &count);
    VekRead("/t1/wt101", 13, weight, &count);
    VekRead("/t1/bx298", 1, &word, &count);
    for (const char *f : inputs) VekRead(f, 1, &word, &count);
    if (VekRead("/t1/bd001", 50, text, &count) != 0) state.SkipWithError("read failed");
  }
  state.SetItemsProcessed(state.iterations() * 16);
}
BENCHMARK(PollTick16Reads)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace

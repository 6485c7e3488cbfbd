// How many requests the simulated terminal answers per second, from one
// client and from sixteen at once (one per node index of a full table).
#include <benchmark/benchmark.h>

#include <memory>

#include "raw_udp_client.h"
#include "shared_data_service.h"

namespace {

vekxsim::SharedDataService &terminal() {
  static auto *t = [] {
    auto *s = new vekxsim::SharedDataService("127.0.0.1", 0, 1);
    s->start();
    s->fields().set("/t1/bx298", {0});
    return s;
  }();
  return *t;
}

void SimulatorRequests(benchmark::State &state) {
  RawUdpClient client(terminal().port());
  for (auto _ : state)
    if (client.read("/t1/bx298") != 31) state.SkipWithError("short reply");
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(SimulatorRequests)->UseRealTime()->Threads(1)->Threads(16);

}  // namespace

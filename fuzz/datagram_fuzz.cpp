// Any datagram as the simulated terminal receives it: the malformed check,
// the traffic-log decoding and the display object never read beyond what
// arrived.
#include <vector>

#include "datagram_check.h"
#include "display_object.h"
#include "traffic_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  std::vector<std::uint8_t> exact(data, data + size);  // exact-size heap copy
  const std::span<const std::uint8_t> bytes(exact.data(), exact.size());
  vekxsim::malformed_reason(bytes, size + 100);  // as if the receive had cut it
  vekxsim::describe_datagram(bytes);
  if (vekxsim::malformed_reason(bytes, size).empty()) vekxsim::DisplayObject().take(bytes);
  return 0;
}

// Any bytes in the target slot and the two bytes behind it: node selection
// reads nothing beyond the record and yields a valid result.
#include <vector>

#include "message_record.h"
#include "node_select.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  // The record is exactly as long as the smallest request, so a read past
  // its end shows as a heap overflow.
  std::vector<std::uint8_t> record(vekx::record_overhead, 0);
  for (std::size_t i = 0; i < size && i < record.size() - vekx::offset::target_name; ++i)
    record[vekx::offset::target_name + i] = data[i];
  const vekx::NodeSelection s = vekx::select_node(record);
  if (s.result != 0 && s.result != 2 && s.result != 4) __builtin_trap();
  if (s.result == 0 && (s.node_index < 0 || s.node_index > 15)) __builtin_trap();
  return 0;
}

#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time
# from its seed corpus. Any crash or sanitizer report fails.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${VEKX_FUZZ_SECONDS:-30}
CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVEKX_BUILD_FUZZ=ON -DVEKX_BUILD_CONSOLE=OFF -DVEKX_BUILD_TESTS=OFF >/dev/null
targets="reply address_list node_select datagram capture_pcap capture_log json_line"
cmake --build build-fuzz -j2 $(for t in $targets; do printf -- '--target fuzz_%s ' "$t"; done)
for t in $targets; do
  work=$(mktemp -d)
  cp fuzz/corpus/"$t"/* "$work"/
  echo "fuzz_$t: ${seconds}s"
  build-fuzz/bin/fuzz_"$t" -max_total_time="$seconds" -print_final_stats=1 "$work" 2>&1 | tail -n 3
  rm -rf "$work"
done
echo "fuzz: 7 passed, 0 failed"

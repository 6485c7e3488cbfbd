#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time
# (VEKX_FUZZ_SECONDS, default 30) from its seed corpus. Any crash or
# sanitizer report fails its target (the input that did it is kept in
# build-fuzz/); the summary counts the targets that ran.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${VEKX_FUZZ_SECONDS:-30}
CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVEKX_BUILD_FUZZ=ON -DVEKX_BUILD_CONSOLE=OFF -DVEKX_BUILD_TESTS=OFF >/dev/null
targets=(reply address_list node_select datagram capture_pcap capture_log json_line web_request)
cmake --build build-fuzz -j2 --target "${targets[@]/#/fuzz_}"
passed=0
failed=0
for t in "${targets[@]}"; do
  work=$(mktemp -d)
  cp fuzz/corpus/"$t"/* "$work"/
  echo "fuzz_$t: ${seconds}s"
  status=0
  build-fuzz/bin/fuzz_"$t" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="build-fuzz/fuzz_$t-" \
    "$work" >"$work.log" 2>&1 || status=$?
  tail -n 3 "$work.log"
  if [ "$status" -eq 0 ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL: fuzz_$t ended with status $status:"
    grep -m 5 -E 'ERROR|runtime error|SUMMARY|Test unit written' "$work.log" || true
  fi
  rm -rf "$work" "$work.log"
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

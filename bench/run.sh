#!/usr/bin/env bash
# Builds the benchmarks in release mode, runs them, and writes
# bench/RESULTS.md: every figure beside its baseline from the same run.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DVEKX_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench -j2 --target vekx_bench $( [ -f console/CMakeLists.txt ] && echo --target KTRVtest ) >/dev/null
out=$(mktemp)
build-bench/bin/vekx_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_min_time=0.5 --benchmark_format=json --benchmark_out="$out" --benchmark_out_format=json >/dev/null
console_cpu=""
if [ -x bench/console_cpu.sh ] && [ -x build-bench/bin/KTRVtest ]; then
  console_cpu=$(bench/console_cpu.sh build-bench)
fi
python3 bench/results.py "$out" "$console_cpu" > bench/RESULTS.md
rm -f "$out"
cat bench/RESULTS.md

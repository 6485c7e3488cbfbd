#!/usr/bin/env bash
# Builds the benchmarks in release mode, runs them, and writes
# bench/RESULTS.md: every figure beside its baseline from the same run.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-bench -j2 --target vekx_bench --target console_cpu_bench --target read_loop --target vekxsim \
  >/dev/null
out=$(mktemp)
build-bench/bin/vekx_bench --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true \
  --benchmark_report_aggregates_only=true \
  --benchmark_min_time=0.5 --benchmark_format=json --benchmark_out="$out" --benchmark_out_format=json >/dev/null
console_cpu=""
if [ -x build-bench/bin/console_cpu_bench ]; then
  console_cpu=$(bench/console_cpu.sh build-bench)
fi
python_read=$(python3 bench/python_read.py build-bench)
web_panel=$(python3 bench/web_panel.py build-bench)
python3 bench/results.py "$out" "$console_cpu" "$python_read" > bench/RESULTS.md
printf '\n## VekRead with the web panel followed\n\n%s\n' "$web_panel" >> bench/RESULTS.md
rm -f "$out"
cat bench/RESULTS.md

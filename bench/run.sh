#!/usr/bin/env bash
# Builds the benchmarks in release mode, runs them, and writes their table
# to RESULTS.md in the build folder: every figure beside its baseline from
# the same run. Exits with status 1 when a figure misses its goal.
set -euo pipefail

usage() {
  cat <<'TEXT'
usage: bench/run.sh [--build DIR] [--quick] [--update] [--help]

Builds the benchmarks in release mode in DIR (default build-bench), runs
them on loopback and prints the table of results, which it writes to
DIR/RESULTS.md.
  --build DIR  the build folder (default build-bench)
  --quick      two short repetitions of each and no console CPU figures: to
               check that everything runs, not to measure
  --update     also write the table to bench/RESULTS.md, the results kept
               with the sources (not with --quick)
  --help       this text
Exit status: 0 when every figure meets its goal, 1 when one misses it (the
table is printed either way), 2 for a bad option.
TEXT
}

build=build-bench quick=no update=no
while [ $# -gt 0 ]; do
  case "$1" in
    --build) [ $# -ge 2 ] || { echo "bench/run.sh: --build needs a folder; see --help" >&2; exit 2; }
             build="$2"; shift ;;
    --quick) quick=yes ;;
    --update) update=yes ;;
    --help|-h) usage; exit 0 ;;
    *) echo "bench/run.sh: unknown option $1; see --help" >&2; exit 2 ;;
  esac
  shift
done
if [ "$quick" = yes ] && [ "$update" = yes ]; then
  echo "bench/run.sh: --update keeps measured figures; --quick measures nothing worth keeping, so leave one out" >&2
  exit 2
fi

cd "$(dirname "$0")/.."
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target vekx_bench --target console_cpu_bench --target read_loop --target vekxsim \
  >/dev/null
repetitions=5 min_time=0.5
# Two repetitions at least: with one, no median is reported.
if [ "$quick" = yes ]; then repetitions=2 min_time=0.05; fi
out="$build/benchmarks.json"
"$build/bin/vekx_bench" --benchmark_repetitions=$repetitions --benchmark_enable_random_interleaving=true \
  --benchmark_report_aggregates_only=true \
  --benchmark_min_time=$min_time --benchmark_format=json --benchmark_out="$out" --benchmark_out_format=json >/dev/null
console_cpu=""
if [ "$quick" = no ] && [ -x "$build/bin/console_cpu_bench" ]; then
  console_cpu=$(bench/console_cpu.sh "$build")
fi
python_read=$(python3 bench/python_read.py "$build")
status=0
python3 bench/results.py "$out" "$console_cpu" "$python_read" > "$build/RESULTS.md" || status=$?
web_panel=$(python3 bench/web_panel.py "$build") || status=1
printf '\n## VekRead with the web panel followed\n\n%s\n' "$web_panel" >> "$build/RESULTS.md"
cat "$build/RESULTS.md"
if [ "$update" = yes ]; then
  cp "$build/RESULTS.md" bench/RESULTS.md
  echo "bench/RESULTS.md updated"
fi
exit "$status"

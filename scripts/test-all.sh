#!/usr/bin/env bash
# Sets up a fresh Debian machine and runs every test: the normal build (Release,
# where the optimiser finds the most to warn of, with every warning an error),
# the same suite under AddressSanitizer + UndefinedBehaviorSanitizer, and the
# checks that need their own builds. Each stage prints how long it took, and
# the run ends with the table of them.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh

jobs=$(nproc)
# VEKX_WINDOWS_RUN=auto: the Windows programs of each architecture run
# under Wine where this machine runs them; the others are left out, said here
# and again at the end. Unset, every architecture runs, and one that cannot
# fails its checks.
source scripts/lib/windows-arch.sh
if [ "${VEKX_WINDOWS_RUN:-}" = auto ]; then
  VEKX_WINDOWS_RUN=""
  for arch in $windows_arches; do
    windows_arch "$arch"
    if wine_can_run 2>/dev/null; then VEKX_WINDOWS_RUN="$VEKX_WINDOWS_RUN${VEKX_WINDOWS_RUN:+ }$arch"; fi
  done
  export VEKX_WINDOWS_RUN
  windows_run_arches=$VEKX_WINDOWS_RUN
  windows_runs_left_out
fi
timings=()
# stage NAME COMMAND...: runs one stage and notes its time; a failed stage
# ends the run with its status, after the times of those before it.
stage() {
  local name=$1 start status=0
  shift
  echo "== $name"
  start=$(date +%s)
  "$@" || status=$?
  timings+=("$(printf '%5d s  %s' $(($(date +%s) - start)) "$name")")
  echo "-- $name: $(($(date +%s) - start)) s"
  if [ "$status" -ne 0 ]; then
    printf '%s\n' "${timings[@]}"
    echo "== FAILED: $name (status $status)"
    exit "$status"
  fi
}

release() {
  # The static analysis reads this build's compile commands.
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DVEKX_WERROR=ON -DCMAKE_EXPORT_COMPILE_COMMANDS=ON
  cmake --build build -j"$jobs"
  ctest --test-dir build --output-on-failure -j"$jobs"
}
sanitizers() {
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVEKX_SANITIZE=ON
  cmake --build build-asan -j"$jobs"
  ASAN_OPTIONS=abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j"$jobs"
}

run_start=$(date +%s)
stage "build and test (Release, warnings as errors)" release
stage "build and test (ASan + UBSan)" sanitizers
# The Python suite has run in both builds above: the package build leaves it out.
export VEKX_PACKAGE_NOCHECK=true
for extra in scripts/checks/*.sh; do
  [ -e "$extra" ] || continue
  stage "$extra" bash "$extra"
done
printf '%s\n' "${timings[@]}"
windows_runs_left_out
echo "== all tests passed in $(($(date +%s) - run_start)) s"

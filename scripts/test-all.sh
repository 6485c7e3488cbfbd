#!/usr/bin/env bash
# Sets up a fresh Debian machine and runs every test: the normal build (Release,
# where the optimiser finds the most to warn of, with every warning an error),
# the same suite under AddressSanitizer + UndefinedBehaviorSanitizer, and the
# checks that need their own builds.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh

jobs=2
echo "== build and test (Release, warnings as errors)"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DVEKX_WERROR=ON
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== build and test (ASan + UBSan)"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVEKX_SANITIZE=ON
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j"$jobs"

for extra in scripts/checks/*.sh; do
  [ -e "$extra" ] || continue
  echo "== $extra"
  bash "$extra"
done
echo "== all tests passed"

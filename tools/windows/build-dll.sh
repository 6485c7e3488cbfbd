#!/usr/bin/env bash
# Builds the 32-bit VEKXAPI.dll with mingw-w64 into build-win32/VEKXAPI.dll.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build-win32}"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DVEKX_BUILD_TESTS=OFF
cmake --build "$build" -j2 --target vekxapi
test -f "$build/VEKXAPI.dll"

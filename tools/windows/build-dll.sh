#!/usr/bin/env bash
# Builds the 32-bit VEKXAPI.dll and the console KTRVtest.exe beside it with
# mingw-w64, into build-win32/.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build-win32}"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DVEKX_BUILD_TESTS=OFF
cmake --build "$build" -j2 --target vekxapi KTRVtest
test -f "$build/VEKXAPI.dll"
test -f "$build/KTRVtest.exe"

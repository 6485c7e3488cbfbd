#!/usr/bin/env bash
# Builds the library, the console and their tests for 32-bit (x86) or 64-bit
# (x64) Windows with mingw-w64, into build-win32/ or build-win64/. GoogleTest
# has no mingw package, so it is built first from the sources that Debian's
# googletest package ships.
# Usage: build-windows.sh ARCH [FOLDER]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
source "$root/scripts/lib/windows-arch.sh"
windows_arch "${1:?usage: build-windows.sh x86|x64 [FOLDER]}"
build="${2:-$root/build-win$bits}"
toolchain="$root/cmake/mingw-${triple%%-*}.cmake"
gtest_src=/usr/src/googletest
gtest_prefix="$build/googletest/install"

# Test discovery runs the test programs under Wine while building: in a
# prefix of its own unless the caller has one.
if [ -z "${WINEPREFIX:-}" ]; then
  source "$root/scripts/lib/wine-prefix.sh"
  wine_prefix_create "$1"
  trap wine_prefix_remove EXIT
fi

if [ ! -f "$gtest_prefix/lib/cmake/GTest/GTestConfig.cmake" ]; then
  cmake -S "$gtest_src" -B "$build/googletest/build" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$gtest_prefix" \
    -DBUILD_GMOCK=OFF -DINSTALL_GTEST=ON -Dgtest_disable_pthreads=OFF
  cmake --build "$build/googletest/build" -j"$(nproc)"
  cmake --install "$build/googletest/build"
fi

# Built as the kits' programs are (bundle.sh), which take its objects through
# a compiler cache; the suites' own files with VEKX_TEST_COMPILE_OPTIONS (a
# CMake list) when it is set.
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DGTest_DIR="$gtest_prefix/lib/cmake/GTest" -DVEKX_TEST_COMPILE_OPTIONS="${VEKX_TEST_COMPILE_OPTIONS:-}"
cmake --build "$build" -j"$(nproc)"

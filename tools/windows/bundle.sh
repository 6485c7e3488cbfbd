#!/usr/bin/env bash
# Builds the two Windows kits, each a zip of one folder:
#   ktrvtest-windows-x86.zip  32-bit console and library (Windows XP SP3 on)
#   ktrvtest-windows-x64.zip  64-bit console and library (Windows XP x64 on)
# Each holds KTRVtest.exe and VEKXAPI.dll, and the simulated terminal
# vekxsim.exe and vekx.exe for Windows 7 and later (release builds without
# debug information or symbols), vekxapi.h, vekxapi.def (the exports and their
# ordinals), the import libraries VEKXAPI.lib (Microsoft's linker) and
# libVEKXAPI.dll.a (MinGW), the example read_weight.c, README.txt for
# Windows, the project's README.md and LICENSE.txt; text files end their
# lines as Windows does; doc/ holds the manual pages of the library and the
# console as web pages, with doc/index.html, and a page per language of
# languages/: the C#, VBA/VB6, Pascal and Python files and examples, the
# Python package as a wheel (pure Python, the same in both kits) and
# result_meanings.txt; vekxsim.exe and vekx.exe with their pages. The debug
# information goes
# beside each zip, into ktrvtest-windows-ARCH-debug/ (KTRVtest.exe.debug,
# VEKXAPI.dll.debug, vekxsim.exe.debug, vekx.exe.debug).
# The console and the DLL are built with the compiler's win32 threads, which
# Windows XP runs; vekxsim and vekx, which need the C++ threads of the posix
# runtime (and so Windows 7), in build-windows-ARCH-programs. Each file
# compiles alone: a unity build links the whole of a library's batch where
# one function of it is called, and the images then import more than they
# call (functions Windows XP lacks among them).
#
# The same commit gives the same zips: the linker writes no time stamp into
# the images, and the stripped images, every file and the zip entries are
# dated SOURCE_DATE_EPOCH (by default the last commit's time; objcopy reads
# it too); the entries go in one order.
#
# Usage: bundle.sh [PREFIX]   builds in PREFIX-x86 and PREFIX-x64, the
#                             programs in PREFIX-ARCH-programs (default:
#                             build-windows in the checkout)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
source "$root/scripts/lib/windows-arch.sh"
prefix="${1:-$root/build-windows}"
prefix="$(mkdir -p "$(dirname "$prefix")" && cd "$(dirname "$prefix")" && pwd)/$(basename "$prefix")"

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH="$(git -C "$root" log -1 --format=%ct 2>/dev/null)" || {
    echo "bundle: $root is no git checkout and SOURCE_DATE_EPOCH is not set: set it to the" \
      "release's time in seconds since 1970 (the kits' files get that date)" >&2
    exit 2
  }
fi
export SOURCE_DATE_EPOCH

# The text files of a kit: source in the checkout, name in the kit (a line
# more for each file a kit gains).
texts="vekxapi/include/vekxapi.h vekxapi.h
vekxapi/src/vekxapi.def vekxapi.def
packaging/windows/README.txt README.txt
packaging/windows/read_weight.c read_weight.c
README.md README.md
LICENSE LICENSE.txt
common/result_meanings.txt languages/result_meanings.txt"
for file in csharp/VekxApi.cs csharp/ReadWeight.cs vba/VekxApi.bas vba/ReadWeight.bas pascal/VekxApi.pas \
  pascal/ReadWeight.dpr python/read_weight.py; do
  texts+=$'\n'"packaging/windows/languages/$file languages/$file"
done

# The programs and libraries of a kit, as the build puts them at its top:
# shipped stripped, their debug information beside the zip.

stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT

# The Python package as a wheel, built offline from a copy of its files so
# that the checkout gets no build folders; its entries are dated
# SOURCE_DATE_EPOCH, in one order, with the copies' modes.
mkdir -p "$stage/python/vekxapi"
cp "$root/python/pyproject.toml" "$stage/python/"
cp -L "$root"/python/vekxapi/{*.py,py.typed,result_meanings.txt} "$stage/python/vekxapi/"
chmod 644 "$stage/python/vekxapi"/*
python=/usr/bin/python3 && [ -x "$python" ] || python=python3
if ! (cd "$stage/python" && PYTHONDONTWRITEBYTECODE=1 "$python" -c \
  'import setuptools.build_meta as b; b.build_wheel("../wheel")' >"$stage/wheel.log" 2>&1); then
  echo "bundle: the Python package's wheel: $(tail -3 "$stage/wheel.log"): install python3-setuptools and" \
    "python3-wheel (scripts/install-deps.sh)" >&2
  exit 1
fi

for arch in $windows_arches; do
  windows_arch "$arch"
  build="$prefix-$arch"
  name="ktrvtest-windows-$arch"
  echo "-- $name: building in $build"
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-${triple%%-*}.cmake" \
    -DVEKX_MINGW_THREADS=win32 -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEKX_BUILD_TESTS=OFF >/dev/null
  cmake --build "$build" -j"$(nproc)" --target vekxapi KTRVtest man_pages >/dev/null
  programs="$build-programs"
  cmake -S "$root" -B "$programs" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-${triple%%-*}.cmake" \
    -DVEKX_MINGW_THREADS=posix -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEKX_BUILD_TESTS=OFF \
    -DVEKX_BUILD_CONSOLE=OFF >/dev/null
  cmake --build "$programs" -j"$(nproc)" --target vekxsim vekx >/dev/null
  if [ ! -f "$build/doc/man/html/index.html" ]; then
    echo "bundle: no web pages of the manual in $build/doc/man/html: install scdoc and mandoc" \
      "(scripts/install-deps.sh) and run this again" >&2
    exit 1
  fi

  kit="$stage/$name"
  debug="$build/$name-debug"
  rm -rf "$kit" "$debug"
  mkdir -p "$kit" "$debug"
  for binary in "$build/KTRVtest.exe" "$build/VEKXAPI.dll" "$programs/bin/vekxsim.exe" "$programs/bin/vekx.exe"; do
    "$triple-objcopy" --only-keep-debug "$binary" "$debug/${binary##*/}.debug"
    "$triple-objcopy" --strip-all "$binary" "$kit/${binary##*/}"
  done
  cp "$build/lib/VEKXAPI.lib" "$build/lib/libVEKXAPI.dll.a" "$kit/"
  while read -r source target; do
    mkdir -p "$(dirname "$kit/$target")"
    sed 's/\r*$/\r/' "$root/$source" >"$kit/$target"
  done <<<"$texts"
  cp "$stage"/wheel/vekxapi-*-py3-none-any.whl "$kit/languages/python/"
  mkdir -p "$kit/doc"
  cp "$build"/doc/man/html/*.html "$kit/doc/"

  # Zip times are local times: UTC makes them the same everywhere.
  find "$kit" -type d -exec chmod 755 {} + -o -type f -exec chmod 644 {} +
  find "$kit" -exec touch -d "@$SOURCE_DATE_EPOCH" {} +
  zip="$build/$name.zip"
  rm -f "$zip"
  (cd "$stage" && find "$name" | LC_ALL=C sort | TZ=UTC zip -q -X -@ "$zip")
  echo "bundle: $zip (debug information in $debug)"
done

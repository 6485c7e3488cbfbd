#!/usr/bin/env bash
# Builds the 32-bit console and library (build-dll.sh) and packs what a
# Windows PC needs into build-win32/ktrvtest-windows-x86.zip, in one folder:
# KTRVtest.exe, VEKXAPI.dll, vekxapi.h, the import library libVEKXAPI.dll.a,
# README.md and LICENSE.
# Usage: bundle.sh [build-directory]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(mkdir -p "${1:-$root/build-win32}" && cd "${1:-$root/build-win32}" && pwd)"
name=ktrvtest-windows-x86
zip="$build/$name.zip"

bash "$root/tools/windows/build-dll.sh" "$build"

stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/$name"
cp "$build/KTRVtest.exe" "$build/VEKXAPI.dll" "$build/lib/libVEKXAPI.dll.a" \
  "$root/vekxapi/include/vekxapi.h" "$root/README.md" "$root/LICENSE" "$stage/$name/"
rm -f "$zip"
(cd "$stage" && zip -q -r -X "$zip" "$name")
echo "bundle: $zip"

#!/usr/bin/env bash
# The Windows build: the 32-bit VEKXAPI.dll with its exports, imports and
# calling conventions checked, and the test suites of the library and of the
# console's core built for 64-bit Windows and run under Wine on the Winsock
# layer.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
wine64=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver

echo "-- 32-bit VEKXAPI.dll"
bash "$root/tools/windows/build-dll.sh" "$root/build-win32"
bash "$root/tools/windows/check-dll.sh" "$root/build-win32/VEKXAPI.dll"

echo "-- library tests for 64-bit Windows, under Wine"
# A Wine prefix of this run's own; no display is needed for console programs.
WINEPREFIX="$(mktemp -d)"
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
cleanup() {
  "$wineserver" -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
# The first start sets up the prefix and takes a while; do it before test
# discovery runs under a time-out.
timeout 600 "$wine64" wineboot --init >/dev/null 2>&1 || true
"$wineserver" -w

bash "$root/tools/windows/build-win64.sh" "$root/build-win64"
ctest --test-dir "$root/build-win64" --output-on-failure -j2

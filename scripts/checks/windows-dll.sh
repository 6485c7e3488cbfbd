#!/usr/bin/env bash
# The library and the console's core on Windows: their test suites built for
# 32-bit and 64-bit Windows and run under wine32 and wine64 on the Winsock
# layer (their tests set the port variables with SetEnvironmentVariableA, as
# a program does at run time). What ships, the DLLs' export tables
# included, is checked by windows-kits.sh.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
source "$root/scripts/lib/wine-prefix.sh"

# A Wine prefix of each architecture's own; no display is needed for
# console programs.
unset DISPLAY
trap wine_prefix_remove EXIT

for arch in $windows_run_arches; do
  echo "-- the suites for $arch Windows"
  wine_prefix_create "$arch"
  bash "$root/tools/windows/build-windows.sh" "$arch"
  ctest --test-dir "$root/build-win$bits" --output-on-failure -j"$(nproc)"
  wine_prefix_remove
done
windows_runs_left_out

#!/usr/bin/env bash
# The library and the console's core on Windows: their test suites built for
# 64-bit Windows and run under Wine on the Winsock layer. What ships, the
# DLLs' export tables included, is checked by windows-kits.sh.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
source "$root/scripts/lib/wine-prefix.sh"

# A Wine prefix of this run's own; no display is needed for console programs.
unset DISPLAY
wine_prefix_create
trap wine_prefix_remove EXIT

bash "$root/tools/windows/build-win64.sh" "$root/build-win64"
ctest --test-dir "$root/build-win64" --output-on-failure -j"$(nproc)"

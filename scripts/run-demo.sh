#!/usr/bin/env bash
# The console against the simulated terminal, on one machine:
#   1. installs the Debian packages (scripts/install-deps.sh) unless
#      VEKX_SKIP_DEPS=1, and builds KTRVtest, vekxsim and the library,
#      unless --no-build is given (VEKX_BUILD_DIR, default build/);
#   2. starts vekxsim on 127.0.0.1, on a port the system picks, with the
#      scripted weighing scenario;
#   3. opens KTRVtest with VEKX_TERMINAL_PORT and VEKX_LOCAL_PORT set, so its
#      library talks to the simulator. Type 127.0.0.1 into the address box
#      and press Start.
# Without a display (no DISPLAY) the console runs under Xvfb for a few
# seconds, 127.0.0.1 is typed and Start pressed for the operator, and a
# screenshot PNG is written (VEKX_SCREENSHOT, default BUILD/ktrv-console.png);
# its path is printed.
# Closing the console stops the simulator; the temporary files go with it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VEKX_BUILD_DIR:-$root/build}
source "$root/scripts/lib/loopback-vekxsim.sh"
source "$root/scripts/lib/x-display.sh"

case "${1:-}" in
  --no-build) build_it=no ;;
  "") build_it=yes ;;
  *) echo "usage: $0 [--no-build]" >&2; exit 2 ;;
esac
if [[ "$build_it" == yes ]]; then
  if [[ "${VEKX_SKIP_DEPS:-0}" != 1 ]]; then "$root/scripts/install-deps.sh"; fi
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build "$build" -j"$(nproc)" --target KTRVtest vekxsim vekxapi window_facts_sh
fi
for needed in bin/KTRVtest bin/vekxsim console/window_facts.sh; do
  [[ -e "$build/$needed" ]] || { echo "$build/$needed is missing: run without --no-build" >&2; exit 1; }
done

work=$(mktemp -d -t ktrv-demo.XXXXXX)
console=""
finish() {
  if [[ -n "$console" ]]; then kill "$console" 2>/dev/null || true; wait "$console" 2>/dev/null || true; fi
  vekxsim_stop
  x_display_stop
  rm -rf "$work"
}
trap finish EXIT

vekxsim_program="$build/bin/vekxsim"
vekxsim_start "$work" --script "$root/simulator/scenarios/weigh_transaction.vsim"

if [[ -n "${DISPLAY:-}" ]]; then
  echo "In the console: type 127.0.0.1 into the address box (it shows 111.111.111.111) and press Start."
  "$build/bin/KTRVtest"
  exit 0
fi

missing="$(x_missing_tool)"
command -v xdotool >/dev/null || missing=${missing:-xdotool}
[[ -z "$missing" ]] || { echo "No display, and $missing is missing for a virtual one: run without --no-build, or scripts/install-deps.sh" >&2; exit 1; }
shot=${VEKX_SCREENSHOT:-$build/ktrv-console.png}
window_facts "$build/console/window_facts.sh"
x_display_start
"$build/bin/KTRVtest" >"$work/console.log" 2>&1 &
console=$!
# What the operator would do once the window is up: 127.0.0.1 typed over
# the address, Start pressed; then a few poll ticks before the shot.
window_wait 30 "$console" || { cat "$work/console.log" >&2; exit 1; }
sleep 1
window_click IPAddr
xdotool key ctrl+a type --delay 20 127.0.0.1
window_click IPupdate
sleep 3
if ! taken="$(window_screenshot "$shot")"; then echo "$taken" >&2; exit 1; fi
echo "No display: the console ran under Xvfb, 127.0.0.1 typed and Start pressed. Screenshot: $shot"

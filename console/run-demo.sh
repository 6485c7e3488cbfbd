#!/usr/bin/env bash
# The console against the simulated terminal, on one machine:
#   1. installs the Debian packages (scripts/install-deps.sh) unless
#      VEKX_SKIP_DEPS=1, and builds KTRVtest, vekxsim and the library,
#      unless --no-build is given;
#   2. starts vekxsim on 127.0.0.1 at VEKX_TERMINAL_PORT with the scripted
#      weighing scenario;
#   3. opens KTRVtest with VEKX_TERMINAL_PORT and VEKX_LOCAL_PORT set, so its
#      library talks to the simulator. Type 127.0.0.1 into the address box
#      and press Start.
# Without a display (no DISPLAY) the console runs under Xvfb for a few
# seconds, 127.0.0.1 is typed and Start pressed for the operator, and a
# screenshot PNG is written; its path is printed.
# Closing the console stops the simulator; the temporary files go with it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VEKX_BUILD_DIR:-$root/build}
export VEKX_TERMINAL_PORT=${VEKX_TERMINAL_PORT:-11701}
export VEKX_LOCAL_PORT=${VEKX_LOCAL_PORT:-11801}

case "${1:-}" in
  --no-build) build_it=no ;;
  "") build_it=yes ;;
  *) echo "usage: $0 [--no-build]" >&2; exit 2 ;;
esac
if [[ "$build_it" == yes ]]; then
  if [[ "${VEKX_SKIP_DEPS:-0}" != 1 ]]; then "$root/scripts/install-deps.sh"; fi
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build "$build" -j2 --target KTRVtest vekxsim vekxapi
fi
for program in KTRVtest vekxsim; do
  [[ -x "$build/bin/$program" ]] || { echo "$build/bin/$program is missing: run without --no-build" >&2; exit 1; }
done

work=$(mktemp -d /tmp/ktrv-demo.XXXXXX)
sim_pid=""
finish() {
  if [[ -n "$sim_pid" ]]; then kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap finish EXIT

scenario="$root/simulator/scenarios/weigh_transaction.vsim"
"$build/bin/vekxsim" --listen 127.0.0.1 --port "$VEKX_TERMINAL_PORT" --quiet --no-stdin --script "$scenario" \
  >"$work/vekxsim.log" 2>&1 &
sim_pid=$!
echo "vekxsim serves 127.0.0.1:$VEKX_TERMINAL_PORT; the console's library uses local port $VEKX_LOCAL_PORT"

if [[ -n "${DISPLAY:-}" ]]; then
  echo "In the console: type 127.0.0.1 into the address box (it shows 111.111.111.111) and press Start."
  "$build/bin/KTRVtest"
else
  shot=${VEKX_SCREENSHOT:-$build/ktrv-console.png}
  cat >"$work/shot.sh" <<'INNER'
#!/usr/bin/env bash
# Waits for the window, does what the operator would (types 127.0.0.1 into
# the address box, presses Start), lets a few poll ticks run, takes the shot.
"$1" & pid=$!
win=""
for _ in $(seq 100); do win=$(xdotool search --name "^TEST KTRV$" 2>/dev/null | head -n 1) && [ -n "$win" ] && break; sleep 0.1; done
if [ -n "$win" ]; then
  sleep 1
  xdotool mousemove --window "$win" 584 24 click 1 key ctrl+a type --delay 20 127.0.0.1
  xdotool mousemove --window "$win" 632 64 click 1
fi
sleep 3
xwd -silent -name "TEST KTRV" -out "$2.xwd" && convert "xwd:$2.xwd" "$2"
rm -f "$2.xwd"
kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
exit 0
INNER
  chmod +x "$work/shot.sh"
  xvfb-run -a -s "-screen 0 1024x768x24" "$work/shot.sh" "$build/bin/KTRVtest" "$shot"
  echo "No display: the console ran under Xvfb, 127.0.0.1 typed and Start pressed. Screenshot: $shot"
fi

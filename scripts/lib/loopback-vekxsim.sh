# Sourced by the scripts that run Windows programs under Wine against the
# native vekxsim (Wine's sockets are the host's).
# vekxsim_start FOLDER [OPTION...] builds vekxsim if build/ lacks it, starts
# it on 127.0.0.1 on a port the system picks, with its traffic log in
# FOLDER/traffic.log, and points the library at it: exports
# VEKX_TERMINAL_PORT (the simulator's port) and VEKX_LOCAL_PORT (one that
# no UDP socket holds). vekxsim_stop stops it (call it from the caller's
# EXIT trap).
simulator=""

vekxsim_stop() {
  [ -z "$simulator" ] || kill "$simulator" 2>/dev/null || true
}

vekxsim_start() {
  local folder=$1 port
  shift
  if [ ! -x "$root/build/bin/vekxsim" ]; then
    cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$root/build" -j2 --target vekxsim >/dev/null
  fi
  "$root/build/bin/vekxsim" --listen 127.0.0.1 --port 0 --no-stdin --log "$folder/traffic.log" "$@" \
    >"$folder/simulator.out" 2>&1 &
  simulator=$!
  VEKX_TERMINAL_PORT=""
  for _ in $(seq 50); do
    VEKX_TERMINAL_PORT="$(sed -n 's/.* serving 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$folder/simulator.out")"
    [ -z "$VEKX_TERMINAL_PORT" ] || break
    sleep 0.1
  done
  [ -n "$VEKX_TERMINAL_PORT" ] || { echo "FAIL: vekxsim did not start: $(cat "$folder/simulator.out")" >&2; exit 1; }
  VEKX_LOCAL_PORT=""
  for port in $(shuf -i 20000-60000 -n 50); do
    if [ -z "$(ss -Hlun "sport = :$port")" ]; then VEKX_LOCAL_PORT=$port; break; fi
  done
  [ -n "$VEKX_LOCAL_PORT" ] || { echo "FAIL: no free local UDP port found" >&2; exit 1; }
  export VEKX_TERMINAL_PORT VEKX_LOCAL_PORT
  echo "vekxsim serves 127.0.0.1:$VEKX_TERMINAL_PORT; the library uses local port $VEKX_LOCAL_PORT"
}

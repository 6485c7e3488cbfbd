# shellcheck shell=bash
# Sourced by the scripts that run a console, vekx or the Windows programs
# under Wine against vekxsim on loopback (Wine's sockets are the host's).
# vekxsim_start FOLDER [OPTION...] starts vekxsim on 127.0.0.1 on a port the
# system picks, with its traffic log in FOLDER/traffic.log, and points the
# library at it: exports VEKX_TERMINAL_PORT (the simulator's port) and
# VEKX_LOCAL_PORT (one that no UDP socket holds, from free_udp_port).
# It runs $vekxsim_program when set (an installed vekxsim), else
# $root/build/bin/vekxsim, which it builds when build/ lacks it (a program
# under Wine may take half a minute to start). With $vekxsim_input naming a
# FIFO, which the caller holds open (exec 3<>FIFO), vekxsim reads its
# commands from there instead of none.
# vekxsim_stop stops it and unsets the two variables (call it from the
# caller's EXIT trap too).
simulator=""

vekxsim_stop() {
  [ -z "$simulator" ] || kill "$simulator" 2>/dev/null || true
  simulator=""
  unset VEKX_TERMINAL_PORT VEKX_LOCAL_PORT
}

# A UDP port no socket holds now. A check uses it for minutes, so it lies
# below the range the system draws from for a socket bound to port 0 (or
# sending unbound), where no other program on the machine can draw it
# meanwhile; where that range starts too low, the system draws it.
free_udp_port() {
  python3 -c 'import random, socket
low = int(open("/proc/sys/net/ipv4/ip_local_port_range").read().split()[0])
for port in random.sample(range(10000, low), 100) if low >= 10100 else [0]:
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
        try:
            s.bind(("", port))
        except OSError:
            continue
        print(s.getsockname()[1])
        break
else:
    raise SystemExit(f"no free UDP port among 100 tried below {low}")'
}

vekxsim_start() {
  local folder=$1 program=${vekxsim_program:-$root/build/bin/vekxsim} input=/dev/null stdin=(--no-stdin)
  shift
  if [ -z "${vekxsim_program:-}" ] && [ ! -x "$program" ]; then
    cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$root/build" -j"$(nproc)" --target vekxsim >/dev/null
  fi
  [ -z "${vekxsim_input:-}" ] || input=$vekxsim_input stdin=()
  # Made here, not by the background command's redirection, which may come
  # after the first read of it below.
  : >"$folder/simulator.out"
  "$program" --listen 127.0.0.1 --port 0 "${stdin[@]}" --log "$folder/traffic.log" "$@" <"$input" \
    >"$folder/simulator.out" 2>&1 &
  simulator=$!
  VEKX_TERMINAL_PORT=""
  for _ in $(seq 300); do
    VEKX_TERMINAL_PORT="$(sed -n 's/.* serving 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$folder/simulator.out")"
    [ -z "$VEKX_TERMINAL_PORT" ] || break
    sleep 0.1
  done
  [ -n "$VEKX_TERMINAL_PORT" ] || { echo "FAIL: vekxsim did not start: $(cat "$folder/simulator.out")" >&2; exit 1; }
  VEKX_LOCAL_PORT="$(free_udp_port)"
  export VEKX_TERMINAL_PORT VEKX_LOCAL_PORT
  echo "vekxsim serves 127.0.0.1:$VEKX_TERMINAL_PORT; the library uses local port $VEKX_LOCAL_PORT"
}

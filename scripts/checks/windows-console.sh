#!/usr/bin/env bash
# The Windows console end to end, for each architecture (the 64-bit
# KTRVtest.exe under wine64, then the 32-bit one under wine32) on a virtual X
# display, against the native vekxsim on loopback (Wine's sockets
# are the host's). A driver program works the window as an operator would:
# it types the address over the old one (a click, Ctrl+A, the keys), presses
# Start, waits for the simulator's weight and power-up event, sends a KTRV
# reset (whose handshake the simulator's traffic log must show), presses
# Stop; with the library's local port held by another socket it presses Start
# again, and the status box must show "STOPPED, STATUS=10048"; then Stop, a
# command that can only wait, and Close Program: the console must exit with
# 0. The window's own tests (ktrv_win32_window_tests.exe) run on the same
# display: the font the status box gets shows a five-digit code whole.
# Screenshots of the window are saved in build-win64/ and build-win32/:
# stopped, as the Linux window's screenshot test takes it (and sampled at the same points), and
# running before Stop (ktrv-console-windows.png), and with the local port
# taken (ktrv-console-windows-10048.png).
# Then KTRVtest.exe without VEKXAPI.dll, beside one that lacks VekRead, and
# beside the other architecture's must show a message that stays until OK is
# pressed, then end with status 2 and name what is missing. The Wine prefix has the fonts and colours of
# scripts/lib/wine-prefix.sh.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
source "$root/scripts/lib/wine-prefix.sh"
source "$root/scripts/lib/loopback-vekxsim.sh"
source "$root/scripts/lib/x-display.sh"

source "$root/scripts/lib/check-steps.sh"
# One step of the operator's: a bounded command; the run ends at the first
# step that fails.
step() {
  local what=$1
  shift
  if timeout 60 "$@"; then pass "$what"; else echo "FAIL: $what" >&2; exit 1; fi
}

missing="$(x_missing_tool)"
[ -z "$missing" ] || { echo "FAIL: $missing is missing (scripts/install-deps.sh)" >&2; exit 1; }

work="$(mktemp -d)"
console=""
holder=""
finish() {
  [ -z "$console" ] || kill "$console" 2>/dev/null || true
  [ -z "$holder" ] || kill "$holder" 2>/dev/null || true
  vekxsim_stop
  wine_prefix_remove
  x_display_stop
  rm -rf "$work"
}
trap finish EXIT

echo "-- the window's facts and vekxsim on 127.0.0.1"
[ -f "$root/build/CMakeCache.txt" ] || cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j"$(nproc)" --target window_facts_sh vekxsim >/dev/null
window_facts "$root/build/console/window_facts.sh"
vekxsim_start "$work" --weight 12.5
x_display_start

# The whole round for one architecture, in a Wine prefix of its own.
console_round() {
  windows_arch "$1"
  win="$root/build-win$bits"
  shot="$win/ktrv-console-windows.png"
  stopped_shot="$win/ktrv-console-windows-stopped.png"
  port_shot="$win/ktrv-console-windows-10048.png"
  driver=("$wine" "$win/ktrv_window_driver.exe")
  echo "-- $1: a Wine prefix of its own, KTRVtest.exe and the driver"
  wine_prefix_create "$1"
  bash "$root/tools/windows/build-windows.sh" "$1"

  echo "-- $1: the console under $(basename "$wine") on a virtual display"
  rm -f "$shot" "$stopped_shot" "$port_shot"
  "$wine" "$win/KTRVtest.exe" 2>"$work/console.err" &
  console=$!

  step "the window opens" "${driver[@]}" wait-window 50
  # Stopped, as the Linux window's screenshot test sees it, once the first
  # poll has shown the failed read of the weight.
  step "the first poll shows the weight's read refused" "${driver[@]}" wait-text txtWeight "STOPPED, STATUS=-2" 10
  window_screenshot "$stopped_shot" || failures=$((failures + 1))
  window_sample_colours "$stopped_shot" || failures=$((failures + 1))
  # A click into the address box, Ctrl+A and the new address typed over the
  # old one, as an operator replaces it.
  step "Ctrl+A and 127.0.0.1 typed into IPAddr" "${driver[@]}" keyboard IPAddr 127.0.0.1
  step "IPAddr reads 127.0.0.1" "${driver[@]}" wait-text IPAddr 127.0.0.1 10
  step "Start" "${driver[@]}" click IPupdate
  step "the poll shows the weight" "${driver[@]}" wait-text txtWeight "G:   12.50 lb" 20
  step "the poll shows the power-up event" "${driver[@]}" wait-text MessageFromKtrv "POWER UP !" 10
  step "the acknowledge button asks for it" "${driver[@]}" wait-text pc_acknowledge "Waiting For Ack" 10
  window_screenshot "$shot" || failures=$((failures + 1))

  # The reset's handshake on the wire: the write of 108 to the command
  # mailbox, then its reads until the terminal answers one with 0 (taken);
  # the click returns after that.
  step "Send KTRV Reset" "${driver[@]}" click SendReset
  handshake="$(awk '/ IN +:[0-9]+ field-access write [^ ]+ -> \/t1\/bx297 .* hex=6c$/ {written = 1; reads = 0; next}
    written && / IN +:[0-9]+ field-access read [^ ]+ -> \/t1\/bx297 / {reads++}
    written && / OUT +:[0-9]+ field-access read \/t1\/bx297 -> / {last = $NF}
    END {if (written) print reads, last}' "$work/traffic.log")"
  read -r reads last <<<"${handshake:-0 none}"
  if [ "$reads" -ge 1 ] && [ "$last" = hex=00 ]; then
    pass "on the wire: 108 written to /t1/bx297, then $reads reads of it, the last answered 0"
  else
    fail "the handshake on the wire: '$handshake' (reads after the write of 108, last answer)"
  fi

  step "Stop" "${driver[@]}" click StopEther
  step "the poll shows the stop" "${driver[@]}" wait-text txtWeight "STOPPED, STATUS=-2" 10

  # Another socket holds the library's local port: every read fails with
  # 10048, five digits, which the status box must show whole. It takes the
  # port as soon as it is free (the console's socket, closed by Stop, may
  # take a moment to go under Wine), and says "held", or after 20 s gives
  # up with the reason.
  python3 -c 'import socket, sys, time
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
deadline = time.monotonic() + 20
while True:
    try:
        s.bind(("", int(sys.argv[1])))
        break
    except OSError as error:
        if time.monotonic() > deadline:
            raise SystemExit(f"{error} for 20 s")
        time.sleep(0.1)
print("held", flush=True)
time.sleep(300)' "$VEKX_LOCAL_PORT" >"$work/holder.out" 2>&1 &
  holder=$!
  for _ in $(seq 300); do
    grep -q '^held$' "$work/holder.out" && break
    kill -0 "$holder" 2>/dev/null || break
    sleep 0.1
  done
  if grep -q '^held$' "$work/holder.out"; then pass "the local port $VEKX_LOCAL_PORT is held"; else
    echo "FAIL: the local port $VEKX_LOCAL_PORT could not be held for the check:" \
      "$(tail -n 1 "$work/holder.out" | grep . || echo 'no answer within 30 s') ('ss -uanp' names what holds it)" >&2
    exit 1
  fi
  step "Start with the local port taken" "${driver[@]}" click IPupdate
  step "the poll shows the sockets error" "${driver[@]}" wait-text txtWeight "STOPPED, STATUS=10048" 10
  window_screenshot "$port_shot" || failures=$((failures + 1))
  step "Stop" "${driver[@]}" click StopEther
  kill "$holder"
  holder=""
  step "the poll shows the stop again" "${driver[@]}" wait-text txtWeight "STOPPED, STATUS=-2" 10
  # Unregistered, a command waits for ever; Close Program ends the wait.
  step "a command that waits" "${driver[@]}" post-click TransComplete
  # It waits in GetMessage: from the click on, a second of waiting takes
  # next to no CPU (the click's own handling, a few milliseconds, included).
  before=$(awk '{print $14 + $15}' "/proc/$console/stat")
  sleep 1
  used=$(($(awk '{print $14 + $15}' "/proc/$console/stat") - before))
  if [ "$used" -le $(($(getconf CLK_TCK) / 10)) ]; then pass "the waiting console used $used ticks of CPU in 1 s"; else
    fail "the waiting console used $used ticks of CPU in 1 s"
  fi
  step "Close Program" "${driver[@]}" click ExitProg
  wait_for_exit "$console" 20
  console=""
  if [ "$status" = 0 ]; then pass "KTRVtest.exe exits with 0"; else
    fail "KTRVtest.exe exits with $status: $(cat "$work/console.err")"
  fi

  # The window in-process: the font the status box gets for a five-digit code.
  if "$wine" "$win/ktrv_win32_window_tests.exe" >"$work/window_tests.out" 2>&1; then
    pass "ktrv_win32_window_tests.exe: $(grep -c '^\[       OK' "$work/window_tests.out") passed"
  else
    fail "ktrv_win32_window_tests.exe: $(cat "$work/window_tests.out")"
  fi

  # Without its library, with a library that lacks a function, and beside
  # the other architecture's library where that is built (the x86 round's):
  # the system's words for it have a place for the file's name.
  rm -rf "$work/alone" "$work/without_read" "$work/other_kit"
  mkdir "$work/alone" "$work/without_read" "$work/other_kit"
  cp "$win/KTRVtest.exe" "$work/alone/"
  cp "$win/KTRVtest.exe" "$win/console/tests/win32/without_read/VEKXAPI.dll" "$work/without_read/"
  cases=("alone VEKXAPI.dll" "without_read VekRead")
  other_dll="$root/build-win$((96 - bits))/VEKXAPI.dll"
  if [ -f "$other_dll" ]; then
    cp "$win/KTRVtest.exe" "$other_dll" "$work/other_kit/"
    cases+=("other_kit VEKXAPI.dll")
  fi
  for case in "${cases[@]}"; do
    read -r folder missing <<<"$case"
    "$wine" "$work/$folder/KTRVtest.exe" 2>"$work/$folder.err" &
    pid=$!
    # The message stays until the operator closes it.
    if "${driver[@]}" close-message 30; then pass "$folder: the message stays until OK is pressed"; else
      fail "$folder: the message box"
    fi
    wait_for_exit $pid 30
    if [ "$status" = 2 ] && grep -q "$missing" "$work/$folder.err" && ! grep -q '%1' "$work/$folder.err"; then
      pass "$folder: exits with 2: $(cat "$work/$folder.err")"
    else
      fail "$folder: exits with $status, says: $(cat "$work/$folder.err")"
    fi
  done

  wine_prefix_remove
}

shots=""
for arch in $windows_run_arches; do
  console_round "$arch"
  shots="$shots $shot"
done
windows_runs_left_out
checks_done "Windows console check" "screenshots:$shots"

#!/usr/bin/env bash
# The simulated terminal and vekx of the two Windows kits (tools/windows/
# bundle.sh), each kit unzipped into an empty folder and run under Wine on
# loopback: the x64 kit under wine64, the x86 kit under wine32 in a 32-bit
# prefix. For each kit:
#   - vekxsim.exe says where it serves, and the Linux library's reads (the
#     Linux vekx) get its weight;
#   - the kit's vekx.exe reads the weight (read 127.0.0.1 /t1/wt101 -q);
#   - the kit's KTRVtest.exe, worked by the window driver, shows the weight
#     after Start with 127.0.0.1, and its In1 box follows "input 1 1" typed
#     into vekxsim.exe (the driver is a 64-bit program: the x64 kit only);
#   - with the web panel in the build, /api/state answers with the weight;
#   - the pytest plugin's own tests pass with --vekxsim naming a wrapper that
#     runs the kit's vekxsim.exe under Wine, and so do the panel's API and
#     browser tests when the build has the panel.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
source "$root/scripts/lib/wine-prefix.sh"
source "$root/scripts/lib/loopback-vekxsim.sh"
source "$root/scripts/lib/x-display.sh"
source "$root/scripts/lib/check-steps.sh"

work="$(mktemp -d)"
simulator_exe=""
prefixes=()
finish() {
  [ -z "$simulator_exe" ] || kill "$simulator_exe" 2>/dev/null || true
  exec 3>&- || true
  for prefix in "${prefixes[@]}"; do
    WINEPREFIX="$prefix" "$wineserver" -k 2>/dev/null || true
    rm -rf "$prefix"
  done
  x_display_stop
  rm -rf "$work"
}
trap finish EXIT

echo "-- the kits, the Linux vekx and the window driver"
bash "$root/tools/windows/bundle.sh" >/dev/null
[ -f "$root/build/CMakeCache.txt" ] || cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j2 --target vekx vekxapi >/dev/null
driver="$root/build-win64/ktrv_window_driver.exe"
[ -f "$driver" ] || bash "$root/tools/windows/build-win64.sh" "$root/build-win64" >/dev/null
web_panel="$(sed -n 's/^VEKX_WEB_PANEL:BOOL=//p' "$root/build-windows-x64-programs/CMakeCache.txt")"

# A 32-bit prefix for the x86 kit, beside the 64-bit one of wine-prefix.sh.
wine32=/usr/lib/wine/wine
wine32_prefix_create() {
  WINEPREFIX="$work/wine32" WINEARCH=win32 timeout 600 "$wine32" wineboot --init >/dev/null 2>&1 || true
  prefixes+=("$work/wine32")
}

# vekxsim.exe of folder $1 under wine $2 on 127.0.0.1, its standard input the
# pipe on descriptor 3; sets VEKX_TERMINAL_PORT (and the panel's port, with
# --web) from what it says.
start_simulator() {
  local folder=$1 wine=$2 web=()
  [ "$web_panel" = ON ] && web=(--web 127.0.0.1:0)
  rm -f "$work/input" && mkfifo "$work/input"
  (cd "$folder" && exec "$wine" vekxsim.exe --listen 127.0.0.1 --port 0 --weight 12.5 "${web[@]}" \
    <"$work/input" >"$work/simulator.out" 2>&1) &
  simulator_exe=$!
  exec 3>"$work/input"
  VEKX_TERMINAL_PORT=""
  for _ in $(seq 300); do
    VEKX_TERMINAL_PORT="$(sed -n 's/.* serving 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/simulator.out")"
    [ -z "$VEKX_TERMINAL_PORT" ] || break
    sleep 0.1
  done
  web_url="$(sed -n 's/.*web panel at \(http:[^ ]*\).*/\1/p' "$work/simulator.out" | tr -d '\r')"
  VEKX_LOCAL_PORT="$(free_udp_port)"
  export VEKX_TERMINAL_PORT VEKX_LOCAL_PORT
}

stop_simulator() {
  echo quit >&3 || true
  exec 3>&-
  wait_for_exit "$simulator_exe" 20
  simulator_exe=""
  if [ "$status" = 0 ]; then pass "vekxsim.exe ends with 0 on quit"; else fail "vekxsim.exe on quit: status $status"; fi
}

kit_console() { # folder
  local console drive=(timeout 60 "$wine64" "$driver")
  "$wine64" "$1/KTRVtest.exe" 2>"$work/console.err" &
  console=$!
  if ! { "${drive[@]}" wait-window 50 && "${drive[@]}" keyboard IPAddr 127.0.0.1 &&
    "${drive[@]}" wait-text IPAddr 127.0.0.1 10 && "${drive[@]}" click IPupdate &&
    "${drive[@]}" wait-text txtWeight "G:   12.50 lb" 20 && "${drive[@]}" wait-checked In1 0 10 &&
    echo "input 1 1" >&3 && "${drive[@]}" wait-checked In1 1 10 && "${drive[@]}" click ExitProg; }; then
    kill "$console"
    return 1
  fi
  wait_for_exit "$console" 20
  [ "$status" = 0 ]
}

# The wrapper the plugin's tests start as vekxsim. They stop it with SIGTERM
# and want status 0; Wine ends a Windows program at once on SIGTERM but hands
# it SIGINT as Ctrl+C, which vekxsim.exe takes as its stop. (An asynchronous
# command's standard input is /dev/null unless redirected.)
wrapper() { # folder wine arch
  cat >"$work/vekxsim-$3" <<EOF_WRAPPER
#!/bin/sh
exec 3<&0
"$2" "$1/vekxsim.exe" "\$@" <&3 3<&- &
pid=\$!
trap 'kill -INT \$pid' TERM INT
wait \$pid
status=\$?
[ \$status -le 128 ] || { wait \$pid; status=\$?; }
exit \$status
EOF_WRAPPER
  chmod +x "$work/vekxsim-$3"
  echo "$work/vekxsim-$3"
}

wine_prefix_create
prefixes+=("$WINEPREFIX")
wine32_prefix_create
x_display_start
for arch in x64 x86; do
  name="ktrvtest-windows-$arch"
  unzip -q "$root/build-windows-$arch/$name.zip" -d "$work/$arch"
  kit="$work/$arch/$name"
  if [ $arch = x64 ]; then wine=$wine64; else wine=$wine32; fi
  export WINEPREFIX="${prefixes[0]}"
  [ $arch = x86 ] && export WINEPREFIX="${prefixes[1]}"
  echo "-- $name under $(basename "$wine")"
  if ! why="$("$wine" --version 2>&1)"; then
    fail "$name: this machine cannot run $wine ($(tr '\n' ' ' <<<"$why")); its checks need a kernel that runs" \
      "that architecture's Linux programs, and the package wine32:i386 for x86 (scripts/install-deps.sh)"
    continue
  fi

  start_simulator "$kit" "$wine"
  if [ -n "$VEKX_TERMINAL_PORT" ]; then pass "vekxsim.exe serves 127.0.0.1:$VEKX_TERMINAL_PORT"; else
    fail "vekxsim.exe did not start: $(cat "$work/simulator.out")"
    continue
  fi
  weight="$(LD_LIBRARY_PATH="$root/build/lib" timeout 30 "$root/build/bin/vekx" read 127.0.0.1 /t1/wt101 -q 2>&1)" || true
  if [ "$weight" = "   12.50" ]; then pass "the Linux library reads its weight: '$weight'"; else
    fail "the Linux library's read of /t1/wt101 gives '$weight'"
  fi
  weight="$(cd "$kit" && timeout 60 "$wine" vekx.exe read 127.0.0.1 /t1/wt101 -q 2>&1 | tr -d '\r')" || true
  if [ "$weight" = "   12.50" ]; then pass "the kit's vekx.exe reads the weight: '$weight'"; else
    fail "the kit's vekx.exe read 127.0.0.1 /t1/wt101 -q prints '$weight'"
  fi
  if [ "$web_panel" = ON ]; then
    state="$(curl -sf --max-time 10 "${web_url}api/state" || true)"
    if grep -q '"weight": *12.5' <<<"$state"; then pass "${web_url}api/state gives the weight"; else
      fail "${web_url}api/state: '$(head -c 300 <<<"$state")'"
    fi
  fi
  if [ $arch = x64 ]; then
    if kit_console "$kit"; then
      pass "the kit's KTRVtest.exe: Start with 127.0.0.1, the weight shown, In1 checked after \"input 1 1\""
    else
      fail "the kit's KTRVtest.exe against vekxsim.exe: $(cat "$work/console.err")"
    fi
  fi
  stop_simulator

  program="$(wrapper "$kit" "$wine" $arch)"
  suites=(tests/test_plugin.py)
  [ "$web_panel" = ON ] && suites+=(tests/test_web_api.py tests/test_web_page.py)
  if (cd "$root/python" && PYTHONPATH="$root/python" PYTHONDONTWRITEBYTECODE=1 PYTEST_DISABLE_PLUGIN_AUTOLOAD=1 \
    VEKXAPI_LIBRARY="$root/build/lib/libvekxapi.so" VEKXSIM="$program" timeout 600 python3 -m pytest -q \
    -p vekxapi.pytest_plugin -p pytester -p no:cacheprovider --basetemp="$work/pytest-$arch" \
    --vekxsim "$program" "${suites[@]}" >"$work/pytest.log" 2>&1); then
    pass "${suites[*]} against vekxsim.exe: $(tail -1 "$work/pytest.log")"
  else
    fail "${suites[*]} against vekxsim.exe: $(tail -30 "$work/pytest.log")"
  fi
done

checks_done "Windows programs check"

# Sourced by every script that runs Windows programs under Wine: a Wine
# prefix of the caller's own in a new temporary folder, set up as the checks
# need it.
#   - Wine's font replacements stand the Liberation faces in for Courier New,
#     Arial, Arial Narrow and MS Sans Serif, so that text metrics come close
#     to Windows';
#   - the system colours the console uses get the classic scheme's values;
#   - no debug output, and no offer to install Mono or Gecko.
# wine_prefix_create [ARCH] (x64 by default, or x86: scripts/lib/windows-arch.sh)
# makes a prefix for that architecture's programs, exports WINEPREFIX,
# WINEARCH, WINEDEBUG and WINEDLLOVERRIDES and sets $wine, the loader to run
# them with; it ends the caller with status 1 when this machine cannot run
# them. wine_prefix_remove ends the prefix's server and deletes the folder
# and the server's own (call it from the caller's EXIT trap); wait_for_exit
# awaits a program with a bound. $wine64 (the 64-bit loader) and $wineserver
# are the programs.
source "$(dirname "${BASH_SOURCE[0]}")/windows-arch.sh"
wine64=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver

# VEKX_WINE_PREFIXES, when set (scripts/test-all.sh sets it), is a folder
# where the first prefix of each architecture is kept as set up, before any
# program of a check ran in it; the later ones are copies of it. Setting one
# up takes 15 to 30 s, a copy about one.
wine_prefix_create() {
  windows_arch "${1:-x64}"
  wine_can_run || exit 1
  WINEPREFIX="$(mktemp -d)"
  export WINEPREFIX WINEARCH=$winearch WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  local kept=${VEKX_WINE_PREFIXES:+$VEKX_WINE_PREFIXES/$winearch}
  if [ -n "$kept" ] && [ -d "$kept" ]; then
    cp -a "$kept/." "$WINEPREFIX/"
  else
    wine_prefix_setup
    if [ -n "$kept" ]; then
      # Whole or not at all; without the file that names the server's folder
      # in the temporary folder, so that each copy's server makes its own.
      mkdir -p "$VEKX_WINE_PREFIXES"
      cp -a "$WINEPREFIX/." "$kept.partial/"
      rm -f "$kept.partial/wineserver"
      mv "$kept.partial" "$kept"
    fi
  fi
  # Then one server for the prefix's whole life, and Wine's own processes
  # (services, devices) started with no output, reading the settings above.
  # When the server comes and goes with the programs, a program that starts
  # as it ends dies at once ("wine client error:0: recvmsg: Connection reset
  # by peer"); one that starts those processes hands them its output, so
  # whoever reads it (CTest) waits seconds for them to end. A server left
  # behind by a check that was killed ends after ten idle minutes.
  wine_setup_step "$wineserver" -p600 || exit 1
  timeout 120 "$wine" wineboot >/dev/null 2>&1 || true
}

# The prefix's first start, which takes a while (done here, before anything
# runs under a time-out), and the fonts and colours of the window; its
# server has ended when it returns.
wine_prefix_setup() {
  timeout 600 "$wine" wineboot --init >/dev/null 2>&1 || true
  local face colour
  for face in "Courier New=Liberation Mono" "Arial=Liberation Sans" "Arial Narrow=Liberation Sans Narrow" \
    "MS Sans Serif=Liberation Sans"; do
    wine_setup_step "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "${face%%=*}" /t REG_SZ \
      /d "${face#*=}" /f || exit 1
  done
  for colour in "Background=58 110 165" "InactiveBorder=212 208 200" "ButtonText=0 0 0" "ButtonHilight=255 255 255"; do
    wine_setup_step "$wine" reg add 'HKCU\Control Panel\Colors' /v "${colour%%=*}" /t REG_SZ /d "${colour#*=}" /f ||
      exit 1
  done
  timeout 120 "$wineserver" -w || true
}

# wine_setup_step COMMAND...: one command of a prefix's setup, its output
# kept. The server of the setup stays 3 s after its last program, and a
# command may meet it as it ends. reg says why it failed on its standard
# output and ends with 1; `wineserver -p` ends with 2, saying nothing, while
# another server still runs. A failed try waits for the server to be gone;
# after the third, it says what failed and what the command said, and
# returns 1.
wine_setup_step() {
  local said=$WINEPREFIX/setup-step.out
  for _ in 1 2 3; do
    # Into a file: the server that `wineserver -p` leaves running holds it
    # open, and a pipe would wait for it.
    timeout 120 "$@" >"$said" 2>&1 && return 0
    timeout 120 "$wineserver" -w || true
  done
  echo "FAIL: setting up the Wine prefix $WINEPREFIX: '$*' failed 3 times, the last saying:" \
    "$(tr -d '\r' <"$said" | paste -sd ' ' -)" >&2
  return 1
}

wine_prefix_remove() {
  [ -n "${WINEPREFIX:-}" ] || return 0
  local server_folder
  "$wineserver" -k 2>/dev/null || true
  # The server's folder (its socket and lock) is in the temporary folder,
  # named in the prefix's file "wineserver"; it outlives the server.
  server_folder="$(cat "$WINEPREFIX/wineserver" 2>/dev/null || true)"
  if [[ "$server_folder" =~ ^wine-[A-Za-z0-9]+$ ]]; then rm -rf "${TMPDIR:-/tmp}/$server_folder"; fi
  rm -rf "$WINEPREFIX"
  unset WINEPREFIX
}

# Waits up to $2 seconds for process $1, a program started in the
# background (a Windows one under Wine), to end: its exit status in
# `status`, or why there is none; a program still running is killed.
wait_for_exit() {
  local pid=$1 seconds=$2
  for _ in $(seq $((seconds * 10))); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    status="none, still running after ${seconds} s"
    return
  fi
  status=0
  wait "$pid" || status=$?
}

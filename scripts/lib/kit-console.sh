# shellcheck shell=bash
# Sourced by the checks that run a kit's programs under Wine against vekxsim
# on loopback: the Windows kits' and the Windows programs'. It sources the
# libraries they share (wine-prefix.sh, loopback-vekxsim.sh, x-display.sh,
# check-steps.sh), makes the folder $work and, on exit, stops vekxsim, removes
# the Wine prefix, stops the display and deletes $work. KTRVtest.exe is worked
# with the window driver of build-win$bits/ (built there by
# tools/windows/build-windows.sh when missing); these need $root, $arch and
# what windows_arch and wine_prefix_create set ($wine, $bits):
#   drive ARGUMENT...    one command of the driver, bounded
#   kit_console FOLDER [STEP]
#       starts FOLDER/KTRVtest.exe, types 127.0.0.1 into the address box,
#       presses Start and waits for the weight 12.50 lb; runs the command STEP
#       when given (the caller's further steps); presses Close Program; returns
#       0 when every step held and the console ended with status 0.
for lib in wine-prefix loopback-vekxsim x-display check-steps; do
  source "$(dirname "${BASH_SOURCE[0]}")/$lib.sh"
done
work="$(mktemp -d)"
trap 'vekxsim_stop; wine_prefix_remove; x_display_stop; rm -rf "$work"' EXIT

drive() { timeout 60 "$wine" "$root/build-win$bits/ktrv_window_driver.exe" "$@"; }
kit_console() {
  local console status=0
  [ -f "$root/build-win$bits/ktrv_window_driver.exe" ] || bash "$root/tools/windows/build-windows.sh" "$arch" >/dev/null
  "$wine" "$1/KTRVtest.exe" 2>"$work/console.err" &
  console=$!
  if ! { drive wait-window 50 && drive keyboard IPAddr 127.0.0.1 && drive wait-text IPAddr 127.0.0.1 10 &&
    drive click IPupdate && drive wait-text txtWeight "G:   12.50 lb" 20 && { [ -z "${2:-}" ] || "$2"; } &&
    drive click ExitProg; }; then
    kill "$console"
    return 1
  fi
  wait_for_exit "$console" 20
  [ "$status" = 0 ] || echo "FAIL: the kit's KTRVtest.exe ends with status $status: $(cat "$work/console.err")" >&2
  [ "$status" = 0 ]
}

# shellcheck shell=bash
# Sourced by the scripts that look at the console's window on a virtual X
# display: the Qt window's screenshot test, the Windows console's check and
# the demo. What they know of the window (its title, size and the middle of
# each control) comes from the window_facts.sh that the build writes from
# the layout table (build/console/window_facts.sh).
#   x_missing_tool             prints the first tool the functions below
#                              need that is not installed
#   window_facts FILE          reads the window's facts
#   x_display_start            starts an Xvfb of its own on a display number
#                              it finds free and exports DISPLAY;
#                              x_display_stop ends it (call it from the
#                              caller's EXIT trap)
#   window_wait SECONDS [PID]  waits until the window is on the display;
#                              fails at once when process PID has ended
#   window_click CONTROL       a mouse click into the middle of a control
#   window_screenshot PNG      the window, once it holds still, to a PNG
#                              file of the window's size
#   window_sample_colours PNG  the colours at the points of
#                              console/tests/window_samples.txt
# The checks print "ok: ..." or "FAIL: ..." and return 1 when they fail.
x_display_samples="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/console/tests/window_samples.txt"
x_display_pid=""
x_display_folder=""
window_title=""
window_size=""

x_missing_tool() {
  local tool
  for tool in Xvfb xwd convert identify; do
    command -v "$tool" >/dev/null || { echo "$tool"; return 0; }
  done
}

window_facts() {
  if [ ! -f "$1" ]; then
    echo "FAIL: $1 is missing; the build writes it (cmake --build BUILD --target window_facts_sh)" >&2
    return 1
  fi
  # shellcheck source=/dev/null
  source "$1"
}

x_display_start() {
  local number=""
  x_display_folder="$(mktemp -d)"
  mkfifo "$x_display_folder/number"
  # Xvfb writes the number of the display it took once it accepts clients.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$x_display_folder/number" \
    >"$x_display_folder/xvfb.log" 2>&1 &
  x_display_pid=$!
  if ! read -r -t 30 number <"$x_display_folder/number" || [ -z "$number" ]; then
    echo "FAIL: Xvfb did not start within 30 s: $(cat "$x_display_folder/xvfb.log")" >&2
    return 1
  fi
  export DISPLAY=":$number"
}

x_display_stop() {
  if [ -n "$x_display_pid" ]; then
    kill "$x_display_pid" 2>/dev/null || true
    wait "$x_display_pid" 2>/dev/null || true
    x_display_pid=""
  fi
  [ -z "$x_display_folder" ] || rm -rf "$x_display_folder"
}

window_wait() {
  local _ pid=${2:-}
  for _ in $(seq $(($1 * 10))); do
    xwd -silent -name "$window_title" -out /dev/null 2>/dev/null && return 0
    if [ -n "$pid" ] && ! kill -0 "$pid" 2>/dev/null; then
      echo "FAIL: the program (process $pid) ended before its window \"$window_title\" showed on $DISPLAY"
      return 1
    fi
    sleep 0.1
  done
  echo "FAIL: no window \"$window_title\" on $DISPLAY within $1 s"
  return 1
}

window_click() {
  local centre="centre_$1" window x y
  read -r x y <<<"${!centre}"
  # The title as a regular expression that matches it alone.
  # shellcheck disable=SC2001  # one sed expression for every special character
  window="$(xdotool search --name "^$(sed 's/[][\.*^$+?(){}|]/\\&/g' <<<"$window_title")\$" | head -n 1)"
  xdotool mousemove --window "$window" "$x" "$y" click 1
}

window_screenshot() {
  local png=$1 size steady=no _
  # A window repaints a moment after it changes: the shot is the first of two
  # alike in a row, 0.1 s apart, within 5 s.
  for _ in $(seq 50); do
    xwd -silent -name "$window_title" -out "$png.xwd" || break
    if cmp -s "$png.xwd" "$png.previous.xwd"; then steady=yes; break; fi
    mv "$png.xwd" "$png.previous.xwd"
    sleep 0.1
  done
  rm -f "$png.previous.xwd"
  if [ "$steady" != yes ] || ! convert "xwd:$png.xwd" "$png"; then
    rm -f "$png.xwd"
    echo "FAIL: no screenshot of the window \"$window_title\" (none taken, or none alike twice in a row within 5 s)"
    return 1
  fi
  rm -f "$png.xwd"
  size="$(identify -format %wx%h "$png")"
  if [ "$size" != "$window_size" ]; then
    echo "FAIL: the window is $size, not $window_size ($png)"
    return 1
  fi
  echo "ok: the window is $window_size ($png)"
}

window_sample_colours() {
  local png=$1 x y colour what got failed=0
  while read -r x y colour what; do
    got="$(convert "$png" -format "%[hex:p{$x,$y}]" info: | cut -c1-6)"
    if [ "${got^^}" = "$colour" ]; then
      echo "ok: $what at ($x,$y) is #$colour"
    else
      echo "FAIL: $what at ($x,$y) is #$got, not #$colour"
      failed=1
    fi
  done <"$x_display_samples"
  [ "$failed" -eq 0 ]
}

#!/bin/bash
# KTRVtest's window on a virtual X display, in a screenshot: the layout's size
# and the expected colours at sampled points. Exit 77 (skipped) without Xvfb,
# xwd or ImageMagick.
# usage: screenshot_test.sh PATH/TO/KTRVtest PATH/TO/window_facts.sh OUTPUT_DIR
set -euo pipefail
# shellcheck source=scripts/lib/x-display.sh
source "$(dirname "$0")/../../../scripts/lib/x-display.sh"
console=$1
shot=$3/ktrv-window.png
missing="$(x_missing_tool)"
[ -z "$missing" ] || { echo "SKIP: $missing is not installed (needs xvfb, x11-apps and imagemagick)"; exit 77; }
window_facts "$2"
mkdir -p "$3"
rm -f "$shot"

pid=""
trap '[ -z "$pid" ] || kill "$pid" 2>/dev/null || true; x_display_stop' EXIT
x_display_start
"$console" >"$3/console.log" 2>&1 &
pid=$!
# The window shows within a second; a loaded machine running the sanitizer
# build's console may take many times that.
if ! window_wait 30 "$pid"; then
  echo "the console's output ($3/console.log):"
  cat "$3/console.log"
  exit 1
fi
# The window is painted a moment after it is mapped: screenshots until one
# shows the sampled colours, for up to 20 s, and the last one's results.
shoot() { window_screenshot "$shot" && window_sample_colours "$shot"; }
for _ in $(seq 100); do
  shoot >/dev/null && break
  sleep 0.2
done
fail=0
shoot || fail=1
echo "screenshot: $shot"
exit $fail

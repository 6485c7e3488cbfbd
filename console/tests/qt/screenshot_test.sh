#!/bin/bash
# Runs KTRVtest on a virtual X display, takes a screenshot of its window and
# checks that the window has the layout's size and shows the expected colours
# at a few sampled points. Exit 77 (skipped) when Xvfb, xwd or ImageMagick
# is missing.
#
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
"$console" >/dev/null 2>&1 &
pid=$!
# A second after the window is mapped the first poll tick has replaced the
# initial weight text.
window_wait 10
sleep 1
window_screenshot "$shot" || exit 1
fail=0
window_sample_colours "$shot" || fail=1
echo "screenshot: $shot"
exit $fail

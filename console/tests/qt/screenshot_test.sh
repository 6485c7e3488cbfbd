#!/bin/bash
# Runs KTRVtest on a virtual X display, takes a screenshot of its window and
# checks that the window is 708 x 443 and shows the expected colours at a
# few sampled points. Exit 77 (skipped) when xvfb-run or ImageMagick is
# missing.
#
# usage: screenshot_test.sh PATH/TO/KTRVtest OUTPUT_DIR
set -u
console=$1
shot=$2/ktrv-window.png
for tool in xvfb-run xwd convert identify; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (needs xvfb, x11-apps and imagemagick)"; exit 77; }
done
mkdir -p "$2"
rm -f "$shot"

# On the virtual display: wait (at most 10 s) for the window to be mapped,
# then a second more so that the first poll tick has replaced the initial
# weight text, and dump it.
# shellcheck disable=SC2016  # expanded by the inner shell
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  "$1" & pid=$!
  for _ in $(seq 100); do xwd -silent -name "TEST KTRV" -out /dev/null 2>/dev/null && break; sleep 0.1; done
  sleep 1
  xwd -silent -name "TEST KTRV" -out "$2.xwd" && convert "xwd:$2.xwd" "$2"
  rm -f "$2.xwd"; kill "$pid"; wait "$pid"' inner "$console" "$shot" >/dev/null 2>&1
[[ -s "$shot" ]] || { echo "FAIL: no screenshot taken"; exit 1; }

fail=0
size=$(identify -format "%wx%h" "$shot")
if [[ "$size" == "708x443" ]]; then echo "ok: the window is 708x443"; else echo "FAIL: the window is $size, not 708x443"; fail=1; fi
# x y RRGGBB what: the colours of the window at sampled points, shared with
# the Windows console's check.
while read -r x y colour what; do
  got=$(convert "$shot" -format "%[hex:p{$x,$y}]" info: 2>/dev/null | cut -c1-6)
  if [[ "${got^^}" == "$colour" ]]; then echo "ok: $what at ($x,$y) is #$colour"; else echo "FAIL: $what at ($x,$y): expected #$colour, got #$got"; fail=1; fi
done <"$(dirname "$0")/../window_samples.txt"
echo "screenshot: $shot"
exit $fail

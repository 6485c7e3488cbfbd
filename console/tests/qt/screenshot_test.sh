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
check() {  # x y expected-#RRGGBB what
  local got
  got=$(convert "$shot" -format "%[hex:p{$1,$2}]" info: 2>/dev/null | cut -c1-6)
  if [[ "${got^^}" == "${3#\#}" ]]; then echo "ok: $4 at ($1,$2) is $3"; else echo "FAIL: $4 at ($1,$2): expected $3, got #$got"; fail=1; fi
}
check 700 435 "#C04000" "window background"
check 604 52  "#80FF80" "Start button"
check 532 52  "#FF0000" "Stop button"
check 4   120 "#D4D0C8" "frame line Line1"
check 299 120 "#D4D0C8" "frame line Line3"
check 285 178 "#FFFF80" "weight box"
check 270 212 "#000000" "lower display"
check 470 160 "#FFFFFF" "Picture1 box"
check 380 160 "#C04000" "Picture1 image (the lorry)"
check 9   321 "#00C0C0" "Out1 box"
check 337 321 "#FF8000" "In1 box"
check 572 372 "#FF8080" "Close Program button"
echo "screenshot: $shot"
exit $fail

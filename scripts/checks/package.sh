#!/usr/bin/env bash
# The Debian package end to end: builds it with cpack from a fresh build
# folder, installs it with apt-get, checks that the installed programs find
# the installed library, compiles a C program against the installed header
# with pkg-config, removes the package and checks that its files are gone.
# Needs root (or sudo) for apt-get; leaves the machine as it found it.
set -euo pipefail
cd "$(dirname "$0")/../.."
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

fail() { echo "package check FAILED: $*"; exit 1; }

if dpkg -s ktrvtest 2>/dev/null | grep -q "^Status: install"; then
  fail "ktrvtest is installed already; remove it first (apt-get remove ktrvtest)"
fi

work="$(mktemp -d /tmp/ktrvtest-package.XXXXXX)"
installed=no
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  if [ "$installed" = yes ]; then $SUDO apt-get purge -y ktrvtest >/dev/null 2>&1 || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

echo "-- building the package in $work/build"
cmake -S . -B "$work/build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DVEKX_BUILD_TESTS=OFF >"$work/configure.log" 2>&1 || { cat "$work/configure.log"; fail "configure"; }
cmake --build "$work/build" -j2 >"$work/build.log" 2>&1 || { tail -50 "$work/build.log"; fail "build"; }
(cd "$work/build" && cpack -G DEB >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
debs=("$work"/build/ktrvtest_*.deb)
[ -f "${debs[0]}" ] || fail "cpack made no ktrvtest_*.deb"
deb="${debs[0]}"
echo "-- $(basename "$deb"): $(stat -c %s "$deb") bytes"
depends="$(dpkg-deb -f "$deb" Depends)"
echo "   Depends: $depends"
for needed in libqt6widgets6 fonts-liberation libc6; do
  grep -q "$needed" <<<"$depends" || fail "Depends lacks $needed"
done
dpkg-deb -c "$deb" >"$work/contents"
for path in ./usr/bin/KTRVtest ./usr/bin/vekx ./usr/bin/vekxsim ./usr/include/vekxapi.h \
            ./usr/share/applications/ktrvtest.desktop ./usr/share/icons/hicolor/scalable/apps/ktrvtest.svg; do
  grep -q " $path\$" "$work/contents" || fail "the package lacks $path"
done
grep -q "/libvekxapi.so.1 -> libvekxapi.so.1.0.0" "$work/contents" || fail "no libvekxapi.so.1 link"

# The console's missing-library check must be able to fail: a copy of the
# console in a folder without the library, before the library is installed.
if ! ldconfig -p | grep -q libvekxapi; then
  mkdir -p "$work/bare/bin"
  cp "$work/build/bin/KTRVtest" "$work/bare/bin/"
  status=0
  QT_QPA_PLATFORM=offscreen timeout 10 "$work/bare/bin/KTRVtest" >"$work/bare.log" 2>&1 || status=$?
  [ "$status" -eq 2 ] || fail "a console without the library ended with $status, not 2"
  echo "-- without the library the console ends with 2: $(grep -m1 '^KTRVtest:' "$work/bare.log")"
fi

echo "-- installing"
# apt-get wants a path, not a bare file name, to install a local package.
$SUDO apt-get install -y "$deb" >"$work/install.log" || { cat "$work/install.log"; fail "apt-get install"; }
installed=yes
dpkg -L ktrvtest >"$work/files"

echo "-- the installed console finds the installed library"
status=0
QT_QPA_PLATFORM=offscreen timeout 3 /usr/bin/KTRVtest >"$work/console.log" 2>&1 || status=$?
if [ "$status" -ne 124 ] || grep -q "^KTRVtest:" "$work/console.log"; then
  cat "$work/console.log"
  fail "installed KTRVtest ended with $status instead of running until stopped"
fi
echo "   ran 3 s until stopped, no missing-library report"

echo "-- vekx against the installed simulator"
used="$(ldd /usr/bin/vekx | sed -n 's/.*libvekxapi.so.1 => \([^ ]*\).*/\1/p')"
[ -n "$used" ] && [ "$(readlink -f "$used")" = "$(readlink -f /usr/lib/*/libvekxapi.so.1)" ] \
  || fail "vekx does not use the installed library ($used)"
/usr/bin/vekx --version
sim_port=$(( 20000 + RANDOM % 20000 ))
/usr/bin/vekxsim --port "$sim_port" --quiet --weight 7.25 </dev/null >"$work/sim.log" 2>&1 &
sim_pid=$!
value=""
for _ in $(seq 50); do
  value="$(VEKX_TERMINAL_PORT=$sim_port VEKX_LOCAL_PORT=$(( sim_port + 100 )) \
    /usr/bin/vekx read 127.0.0.1 /t1/wt101 2>/dev/null)" && break
  sleep 0.1
done
[ "$value" = "    7.25" ] || fail "vekx read gave '$value'"
echo "   vekx read 127.0.0.1 /t1/wt101 -> '$value'"
kill "$sim_pid"; wait "$sim_pid" 2>/dev/null || true; sim_pid=""

echo "-- a C program built with pkg-config against the installed header"
cat >"$work/close.c" <<'C'
#include <stdio.h>
#include <vekxapi.h>
int main(void) {
  printf("VekCloseProcess() == %d\n", VekCloseProcess());
  return 0;
}
C
flags="$(pkg-config --cflags --libs vekxapi)"
echo "   pkg-config --cflags --libs vekxapi: $flags"
# shellcheck disable=SC2086
cc -Wall -Wextra -o "$work/close" "$work/close.c" $flags
out="$("$work/close")"
echo "   $out"
[ "$out" = "VekCloseProcess() == -2" ] || fail "the C program printed '$out'"

if command -v tshark >/dev/null; then
  # One read request; without -X tshark must find the dissector by itself.
  printf '0000 00 64 01 10 2f 77 31 2f 77 30 30 30 31 00 2f 74\n0010 31 2f 77 74 31 30 31 00 20 00 01 00 00 00\n' \
    >"$work/read.hex"
  text2pcap -q -u 1701,1701 -4 127.0.0.2,127.0.0.1 "$work/read.hex" "$work/read.pcap"
  HOME="$work" tshark -r "$work/read.pcap" >"$work/decoded" 2>/dev/null
  grep -q "VEKX .*Read /t1/wt101 seq=1" "$work/decoded" || { cat "$work/decoded"; fail "tshark does not load the installed dissector"; }
  echo "-- tshark decodes with the installed dissector: $(sed 's/^ *//' "$work/decoded")"
fi
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate /usr/share/applications/ktrvtest.desktop
fi

echo "-- removing"
$SUDO apt-get remove -y ktrvtest >"$work/remove.log"
installed=no
left=0
while read -r f; do
  if [ -f "$f" ] || [ -L "$f" ]; then echo "   left behind: $f"; left=1; fi
done <"$work/files"
[ "$left" -eq 0 ] || fail "files remain after removal"
$SUDO apt-get purge -y ktrvtest >>"$work/remove.log" 2>&1
if dpkg -s ktrvtest >/dev/null 2>&1; then fail "dpkg still knows ktrvtest after purge"; fi
! ldconfig -p | grep -q libvekxapi || fail "libvekxapi is still in the loader cache"
echo "package check passed: $(grep -c . "$work/files") paths installed and removed"

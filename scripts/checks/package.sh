#!/usr/bin/env bash
# The Debian packages end to end: builds them with dpkg-buildpackage from a
# copy of the committed tree, has lintian check every .deb (no error, no
# warning), installs them with apt-get, uses what they installed, purges
# them and checks that nothing of them is left.
# Needs root (or sudo) for apt-get; leaves the machine as it found it.
# In CI (CI=true, or VEKX_PACKAGE_NOCHECK=true as scripts/test-all.sh sets
# after running the suites twice) the package build leaves out its Python
# tests (DEB_BUILD_OPTIONS=nocheck); the installed example still runs below.
set -euo pipefail
cd "$(dirname "$0")/../.."
root="$PWD"
source scripts/lib/loopback-vekxsim.sh
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

packages=(libvekxapi1 libvekxapi-dev ktrvtest vekx-tools python3-vekxapi)
runtime=(libvekxapi1 ktrvtest vekx-tools python3-vekxapi)

fail() {
  echo "package check FAILED: $*"
  exit 1
}

known_to_dpkg() { dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null | grep -qv '^not-installed$'; }

for p in "${packages[@]}"; do
  if known_to_dpkg "$p"; then
    fail "$p is installed already (or its configuration is left); remove it first: apt-get purge ${packages[*]}"
  fi
done
# grep -q reads a command's output whole (a here-string): stopping early in a
# pipe would end the writer with SIGPIPE, which pipefail takes for no match.
if grep -q 'libvekxapi\.so\.1 ' <<<"$(ldconfig -p)"; then
  fail "a libvekxapi.so.1 is in the loader cache already: $(ldconfig -p | grep libvekxapi)"
fi
if ! git diff --quiet HEAD 2>/dev/null; then
  echo "note: uncommitted changes are not part of the packages; they are built from HEAD"
fi

work="$(mktemp -d -t ktrvtest-package.XXXXXX)"
# The packages are built in the checkout's build-package/, beside the other
# builds: a compiler cache whose base is the checkout (scripts/test-all.sh
# sets one, CMAKE_CXX_COMPILER_LAUNCHER=ccache) gives this build the objects
# of the normal build, which compiles with the package's flags.
debs="$root/build-package"
installed=no
cleanup() {
  vekxsim_stop
  if [ "$installed" = yes ]; then
    # apt-get refuses the whole purge when one name is unknown to dpkg.
    local known=()
    for p in "${packages[@]}"; do if known_to_dpkg "$p"; then known+=("$p"); fi; done
    if [ "${#known[@]}" -gt 0 ]; then $SUDO apt-get purge -y "${known[@]}" >/dev/null 2>&1 || true; fi
  fi
  rm -rf "$work" "$debs"
}
trap cleanup EXIT

build_options=""
if [ "${VEKX_PACKAGE_NOCHECK:-${CI:-false}}" = true ]; then build_options="nocheck"; fi
echo "-- building the packages from HEAD in $debs/src${build_options:+ (DEB_BUILD_OPTIONS=$build_options)}"
rm -rf "$debs"
mkdir -p "$debs/src"
git archive --format=tar HEAD | tar -x -C "$debs/src"
(cd "$debs/src" && DEB_BUILD_OPTIONS="$build_options" dpkg-buildpackage -us -uc -b -j"$(nproc)" >"$work/build.log" 2>&1) \
  || { tail -40 "$work/build.log"; fail "dpkg-buildpackage"; }
deb() { echo "$debs/$1_"*.deb; }
for p in "${packages[@]}"; do
  [ -f "$(deb "$p")" ] || fail "dpkg-buildpackage made no $p package"
  echo "   $(basename "$(deb "$p")"): $(stat -c %s "$(deb "$p")") bytes"
done

echo "-- lintian on every .deb"
status=0
# lintian leaves its cache of each binary's facts in the temporary folder:
# this check's own, removed at its end.
TMPDIR="$work" lintian --fail-on error,warning --display-info "$debs"/*.deb >"$work/lintian.txt" 2>&1 || status=$?
sed 's/^/   /' "$work/lintian.txt"
if [ "$status" -ne 0 ] || grep -q '^[EW]: ' "$work/lintian.txt"; then
  fail "lintian reports $(grep -c '^E: ' "$work/lintian.txt") errors and $(grep -c '^W: ' "$work/lintian.txt") warnings"
fi
echo "   no error, no warning"

echo "-- what the packages hold and need"
depends="$(dpkg-deb -f "$(deb ktrvtest)" Depends)"
for needed in 'libvekxapi1 (= ' fonts-liberation libqt6widgets6; do
  grep -qF "$needed" <<<"$depends" || fail "ktrvtest's Depends lacks $needed: $depends"
done
grep -q 'libvekxapi1 (>= ' <<<"$(dpkg-deb -f "$(deb vekx-tools)" Depends)" || fail "vekx-tools does not depend on libvekxapi1"
[ "$(dpkg-deb -f "$(deb vekx-tools)" Suggests)" = "tshark | wireshark" ] || fail "vekx-tools lacks Suggests: tshark | wireshark"
[ "$(dpkg-deb -f "$(deb python3-vekxapi)" Architecture)" = all ] || fail "python3-vekxapi is not Architecture: all"
grep -q 'libvekxapi1 (>= ' <<<"$(dpkg-deb -f "$(deb python3-vekxapi)" Depends)" || fail "python3-vekxapi does not depend on libvekxapi1"
soname="$(dpkg-deb --ctrl-tarfile "$(deb libvekxapi1)" | tar -xO ./shlibs)"
[ "$soname" = "libvekxapi 1 libvekxapi1 (>= 1.0.0)" ] || fail "libvekxapi1's shlibs file says '$soname'"
# The README beside the programs it describes, and the scenario the
# simulator's manual page names.
for p in ktrvtest vekx-tools; do
  grep -q " \./usr/share/doc/$p/README\.md" <<<"$(dpkg-deb -c "$(deb "$p")")" || fail "$p does not carry README.md"
done
example="$(grep -o '/usr/share/doc/vekx-tools/examples/[a-z_]*\.vsim' doc/man/vekxsim.1.scd)"
grep -q " \.$example\$" <<<"$(dpkg-deb -c "$(deb vekx-tools)")" || fail "vekx-tools lacks $example, which vekxsim(1) names"
echo "   README.md in ktrvtest and vekx-tools; $example"
echo "   ktrvtest Depends: $depends"
echo "   libvekxapi1 shlibs: $soname"
# Every path the packages hold, and those of them that exist already (the
# folders they share with the system): the purge must leave exactly these.
for p in "${packages[@]}"; do dpkg-deb -c "$(deb "$p")"; done \
  | awk '{print $6}' | sed 's|^\./|/|; s|/$||' | grep -v '^$' | sort -u >"$work/paths"
while read -r path; do
  if [ -e "$path" ] || [ -L "$path" ]; then echo "$path"; fi
done <"$work/paths" >"$work/paths-before"

# The console's missing-library check must be able to fail: the packaged
# console on its own, before the library is installed.
mkdir "$work/bare"
dpkg-deb -x "$(deb ktrvtest)" "$work/bare"
status=0
QT_QPA_PLATFORM=offscreen timeout 10 "$work/bare/usr/bin/KTRVtest" >"$work/bare.log" 2>&1 || status=$?
[ "$status" -eq 2 ] || fail "the console without its library ended with $status, not 2"
echo "-- without the library the console ends with 2: $(grep -m1 '^KTRVtest:' "$work/bare.log")"

# Nothing but the packages may come and go: what they need is installed
# beforehand (scripts/install-deps.sh), so the purge restores the machine.
all_debs=()
for p in "${packages[@]}"; do all_debs+=("$(deb "$p")"); done
extra="$(apt-get install -s "${all_debs[@]}" 2>/dev/null | sed -n 's/^Inst \([^ ]*\).*/\1/p' \
  | grep -v -x -e libvekxapi1 -e libvekxapi-dev -e ktrvtest -e vekx-tools -e python3-vekxapi || true)"
[ -z "$extra" ] || fail "installing would also bring in: $(tr '\n' ' ' <<<"$extra")(run scripts/install-deps.sh first)"

echo "-- installing the run-time packages: ${runtime[*]}"
runtime_debs=()
for p in "${runtime[@]}"; do runtime_debs+=("$(deb "$p")"); done
installed=yes
$SUDO apt-get install -y "${runtime_debs[@]}" >"$work/install.log" 2>&1 || { cat "$work/install.log"; fail "apt-get install"; }

echo "-- the installed console finds the installed library (without the development package)"
status=0
QT_QPA_PLATFORM=offscreen timeout 3 /usr/bin/KTRVtest >"$work/console.log" 2>&1 || status=$?
if [ "$status" -ne 124 ] || grep -q "^KTRVtest:" "$work/console.log"; then
  cat "$work/console.log"
  fail "installed KTRVtest ended with $status instead of running until stopped"
fi
echo "   ran 3 s until stopped, no missing-library report"

echo "-- vekx against the installed simulator"
used="$(ldd /usr/bin/vekx | sed -n 's/.*libvekxapi.so.1 => \([^ ]*\).*/\1/p')"
if [ -z "$used" ] || [ "$(readlink -f "$used")" != "$(readlink -f /usr/lib/*/libvekxapi.so.1)" ]; then
  fail "vekx does not use the installed library ($used)"
fi
/usr/bin/vekx --version
vekxsim_program=/usr/bin/vekxsim
vekxsim_start "$work" --weight 7.25
value="$(/usr/bin/vekx read 127.0.0.1 /t1/wt101 2>"$work/vekx.err")" || fail "vekx read: $(cat "$work/vekx.err")"
[ "$value" = "    7.25" ] || fail "vekx read gave '$value'"
echo "   vekx read 127.0.0.1 /t1/wt101 -> '$value'"
vekxsim_stop

echo "-- Python: the installed package, its pytest plugin and its example against the installed vekxsim"
# The system's Python, outside the sources, with nothing pointing elsewhere.
python=(env -u PYTHONPATH -u VEKXAPI_LIBRARY -u VEKXSIM -u PYTEST_DISABLE_PLUGIN_AUTOLOAD /usr/bin/python3)
mkdir "$work/python"
where="$(cd "$work/python" && "${python[@]}" -c 'import vekxapi; print(vekxapi.__file__)')"
[ "$where" = /usr/lib/python3/dist-packages/vekxapi/__init__.py ] || fail "import vekxapi found $where"
echo "   python3 -c 'import vekxapi': $where"
cmp -s /usr/lib/python3/dist-packages/vekxapi/result_meanings.txt common/result_meanings.txt \
  || fail "the package's table of result meanings is not common/result_meanings.txt"
doc="$(cd "$work/python" && "${python[@]}" -m pydoc vekxapi.terminal)"
grep -q "class Terminal" <<<"$doc" || fail "pydoc vekxapi.terminal shows no class Terminal"
cp /usr/share/doc/python3-vekxapi/examples/test_weigh_transaction.py "$work/python/"
(cd "$work/python" && "${python[@]}" -m pytest -p no:cacheprovider -q test_weigh_transaction.py) >"$work/pytest.log" 2>&1 \
  || { cat "$work/pytest.log"; fail "the installed example failed"; }
echo "   $(tail -1 "$work/pytest.log") (the example, its fixtures from the installed plugin)"

echo "-- bash completion is where bash-completion finds it"
for program in vekx vekxsim; do
  # _completion_loader returns 124 ("try again") when it has loaded one.
  bash -c "source /usr/share/bash-completion/bash_completion; _completion_loader $program; complete -p $program" \
    2>/dev/null | grep -q -- "-F _$program $program\$" || fail "bash-completion does not load the completion of $program"
done
echo "   vekx and vekxsim"

if command -v tshark >/dev/null; then
  # One read request; without -X tshark must find the dissector by itself.
  printf '0000 00 64 01 10 2f 77 31 2f 77 30 30 30 31 00 2f 74\n0010 31 2f 77 74 31 30 31 00 20 00 01 00 00 00\n' \
    >"$work/read.hex"
  text2pcap -q -u 1701,1701 -4 127.0.0.2,127.0.0.1 "$work/read.hex" "$work/read.pcap" >/dev/null 2>&1 \
    || fail "text2pcap could not make the capture"
  HOME="$work" tshark -r "$work/read.pcap" >"$work/decoded" 2>/dev/null
  grep -q "VEKX .*Read /t1/wt101 seq=1" "$work/decoded" || { cat "$work/decoded"; fail "tshark does not load the installed dissector"; }
  echo "-- tshark decodes with the installed dissector: $(sed 's/^ *//' "$work/decoded")"
fi
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate /usr/share/applications/ktrvtest.desktop
fi

echo "-- installing the development package"
$SUDO apt-get install -y "$(deb libvekxapi-dev)" >>"$work/install.log" 2>&1 || { cat "$work/install.log"; fail "apt-get install"; }

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

echo "-- manual pages: the programs, and every name the library exports"
names="$(nm -D --defined-only /usr/lib/*/libvekxapi.so.1 | awk '{print $3}')"
[ "$(wc -w <<<"$names")" -eq 19 ] || fail "the library exports $(wc -w <<<"$names") names, not 19"
for page in vekx vekxsim KTRVtest; do
  man -w "$page" >/dev/null 2>&1 || fail "man $page does not resolve (is /usr/share/man excluded in /etc/dpkg/dpkg.cfg.d?)"
done
for page in vekxapi $names; do
  man -w 3 "$page" >/dev/null 2>&1 || fail "man 3 $page does not resolve"
done
echo "   man -w $(man -w vekx), man -w 3 VekRead: $(man -w 3 VekRead), and the 18 other names"

echo "-- purging"
dpkg -L "${packages[@]}" >"$work/files"
$SUDO apt-get purge -y "${packages[@]}" >"$work/remove.log" 2>&1 || { cat "$work/remove.log"; fail "apt-get purge"; }
installed=no
for p in "${packages[@]}"; do
  if known_to_dpkg "$p"; then fail "dpkg still knows $p after the purge"; fi
done
while read -r path; do
  if [ -e "$path" ] || [ -L "$path" ]; then echo "$path"; fi
done <"$work/paths" >"$work/paths-after"
if ! cmp -s "$work/paths-before" "$work/paths-after"; then
  diff "$work/paths-before" "$work/paths-after" | sed -n 's/^> /   left behind: /p'
  fail "the purge left files of the packages behind"
fi
if grep -q libvekxapi <<<"$(ldconfig -p)"; then fail "libvekxapi is still in the loader cache"; fi
echo "package check passed: $(grep -c . "$work/files") paths installed and purged, none left behind"

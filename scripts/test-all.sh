#!/usr/bin/env bash
# Sets up a fresh Debian machine and runs every test: the normal build (with
# the flags of the Debian package's, optimised and hardened, every warning an
# error), the same suite under AddressSanitizer + UndefinedBehaviorSanitizer, and the
# checks that need their own builds. Each stage prints how long it took, and
# the run ends with the table of them.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh

jobs=$(nproc)
# The builds of a run share one compiler cache, empty on a fresh machine: a
# build that compiles what an earlier one compiled the same way takes its
# objects (the package's build after the normal one, the kits' programs
# after the Windows tests' build, the kits' second build). Paths under the
# checkout are hashed relative to the build folder, whose own name is left
# out, so folders side by side share; the compiler's own list of headers
# read (depend mode) spares a second preprocessing of each file. The
# sanitizer and fuzz builds, which nothing repeats, build without it.
export CCACHE_DIR=${CCACHE_DIR:-$PWD/build-ccache} CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=true CCACHE_DEPEND=true
ccache --zero-stats >/dev/null
with_compiler_cache() { CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache "$@"; }
# New build folders are Ninja's, as the package's (debian/rules), whose
# compilers then run from the same folder as the normal build's and share
# its objects: make's Makefiles start CMake a few hundred times a build to
# scan and report, some 100 CPU-s in a run. A folder made before keeps its
# generator.
export CMAKE_GENERATOR=Ninja
# The suites' own files, which ship nowhere, build without debugging
# information and with less optimisation, in about 60 % of the time: in the
# normal build and the Windows tests' (tools/windows/build-windows.sh). The
# sanitizer build keeps its lines for the reports.
export VEKX_TEST_COMPILE_OPTIONS="-O1;-g0"
# VEKX_WINDOWS_RUN=auto: the Windows programs of each architecture run
# under Wine where this machine runs them; the others are left out, said here
# and again at the end. Unset, every architecture runs, and one that cannot
# fails its checks.
source scripts/lib/windows-arch.sh
if [ "${VEKX_WINDOWS_RUN:-}" = auto ]; then
  VEKX_WINDOWS_RUN=""
  for arch in $windows_arches; do
    windows_arch "$arch"
    if wine_can_run 2>/dev/null; then VEKX_WINDOWS_RUN="$VEKX_WINDOWS_RUN${VEKX_WINDOWS_RUN:+ }$arch"; fi
  done
  export VEKX_WINDOWS_RUN
  windows_run_arches=$VEKX_WINDOWS_RUN
  windows_runs_left_out
fi
timings=()
# The processor time, user and system, of the children of a shell (this one
# unless a process number is given) that have ended, in whole seconds: a
# stage's difference is the work it did, which the processors share however
# the stages are ordered.
ticks=$(getconf CLK_TCK)
cpu_seconds() {
  awk -v ticks="$ticks" '{ sub(/^.*\) /, ""); printf "%d", ($14 + $15) / ticks }' "/proc/${1:-$$}/stat"
}
# stage NAME COMMAND...: runs one stage and notes its time and its processor
# time; a failed stage ends the run with its status, after the times of
# those before it. It runs in a subshell of its own, whose children are its
# work alone: a background check that ends meanwhile counts only for itself.
stage_cpu=$(mktemp)
stage() {
  local name=$1 start status=0 line
  shift
  echo "== $name"
  start=$(date +%s)
  (
    me=$BASHPID status=0
    "$@" || status=$?
    cpu_seconds "$me" >"$stage_cpu"
    exit "$status"
  ) || status=$?
  line=$(printf '%5d s %6d CPU-s  %s' $(($(date +%s) - start)) "$(<"$stage_cpu")" "$name")
  timings+=("$line")
  echo "-- $line"
  if [ "$status" -ne 0 ]; then
    printf '%s\n' "${timings[@]}"
    echo "== FAILED: $name (status $status)"
    exit "$status"
  fi
}

# Checks that only compute, with no answer to wait for within a time (the
# static analysis), run beside the stages after them at the lowest priority:
# those take the processors whenever they want them, and the analysis uses
# what their waits leave. Its output is shown, and its time noted, when the
# stages in front have ended.
background_checks="scripts/checks/static-analysis.sh"
background=()
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$stage_cpu" "${run_tmp:-}"' EXIT
in_background() {
  local name=$1 log="build/background-${#background[@]}.log"
  shift
  echo "== $name: in the background, its output in $log"
  (
    start=$(date +%s) status=0 me=$BASHPID
    nice -n 19 "$@" >"$log" 2>&1 || status=$?
    echo "$(($(date +%s) - start)) $(cpu_seconds "$me") $status" >"$log.end"
  ) &
  background+=("$! $log $name")
}
# Waits for the background checks, shows each one's output and notes its
# time; a failed one ends the run as a stage does.
background_ended() {
  local entry pid log name seconds cpu status line
  for entry in "${background[@]}"; do
    read -r pid log name <<<"$entry"
    wait "$pid" || true
    read -r seconds cpu status <"$log.end"
    echo "== $name (in the background)"
    cat "$log"
    line=$(printf '%5d s %6d CPU-s  %s (in the background)' "$seconds" "$cpu" "$name")
    timings+=("$line")
    echo "-- $line"
    if [ "$status" -ne 0 ]; then
      printf '%s\n' "${timings[@]}"
      echo "== FAILED: $name (status $status)"
      exit "$status"
    fi
  done
}

# The normal build compiles as the package's build does (debhelper's cmake:
# dpkg-buildflags with the options of debian/rules, the preprocessor's flags
# added to the compiler's, no build type of CMake's own), so the package
# check builds from its objects, and the suite tests the code users install.
# A warning fails it: its output is read, as the compiler cache replays a
# warning with the object, since -Werror on the command line would keep the
# package's build from sharing.
package_flags() {
  local options name
  options=$(sed -n 's/^export DEB_BUILD_MAINT_OPTIONS = //p' debian/rules)
  for name in CFLAGS CXXFLAGS CPPFLAGS LDFLAGS; do
    printf -v "$name" '%s' "$(DEB_BUILD_MAINT_OPTIONS=$options dpkg-buildflags --get "$name")"
  done
}
release() {
  local CFLAGS CXXFLAGS CPPFLAGS LDFLAGS warnings
  package_flags
  # The static analysis reads this build's compile commands.
  cmake -S . -B build -DCMAKE_BUILD_TYPE=None -DVEKX_WERROR=OFF -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
    -DVEKX_TEST_COMPILE_OPTIONS="$VEKX_TEST_COMPILE_OPTIONS" \
    -DCMAKE_C_FLAGS="$CFLAGS $CPPFLAGS" -DCMAKE_CXX_FLAGS="$CXXFLAGS $CPPFLAGS" \
    -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" -DCMAKE_SHARED_LINKER_FLAGS="$LDFLAGS" -DCMAKE_MODULE_LINKER_FLAGS="$LDFLAGS" \
    -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache || return
  # Under the locale debhelper gives Ninja, which the compiler cache counts
  # in an object's key (it sets the language of the compiler's messages).
  LC_ALL=C.UTF-8 cmake --build build -j"$jobs" 2>&1 | tee build/build.log || return
  warnings=$(grep -E '(^|: )warning: ' build/build.log || true)
  if [ -n "$warnings" ]; then
    echo "FAIL: the build warns (every warning is an error here; build/build.log):"
    echo "$warnings"
    return 1
  fi
}
release_suite() { ctest --test-dir build --output-on-failure -j"$jobs"; }
# The sanitizer build compiles the files of a target together (CMake's unity
# build), in less time: the normal build compiles each file alone, so a file
# that needs what another brings in fails there, and one that behaves
# otherwise beside another fails one of the two suites. The
# benchmarks, which no suite runs, are built by the normal build alone. Its
# debugging information is the line tables alone (-g1, in a fifth less
# time): a sanitizer's report still names each frame's file and line.
sanitizers() {
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_FLAGS_DEBUG=-g1 -DCMAKE_CXX_FLAGS_DEBUG=-g1 \
    -DVEKX_SANITIZE=ON -DCMAKE_UNITY_BUILD=ON -DVEKX_BUILD_BENCH=OFF || return
  cmake --build build-asan -j"$jobs" || return
  ASAN_OPTIONS=abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j"$jobs"
}

# Every stage's temporary files go to a folder of the run's own, and Qt's
# and the browser's runtime folder (XDG_RUNTIME_DIR) is in it: whatever a
# test, a check or a tool leaves there would gather in /tmp run after run,
# and the run fails on it at its end. The Wine prefixes the Windows checks
# copy from are kept there too (VEKX_WINE_PREFIXES, scripts/lib/wine-prefix.sh).
run_tmp=$(mktemp -d -t ktrv-test-all.XXXXXX)
mkdir -m 700 "$run_tmp/runtime"
export TMPDIR=$run_tmp XDG_RUNTIME_DIR=$run_tmp/runtime VEKX_WINE_PREFIXES=$run_tmp/wine-prefixes
nothing_left() {
  local left
  left=$(find "$run_tmp" -mindepth 1 \( -path "$run_tmp/runtime" -o -path "$run_tmp/wine-prefixes" \) -prune -o \
    -printf '      %P (%s bytes)\n')
  if [ -n "$left" ]; then
    echo "FAIL: the checks left these in the run's temporary folder (TMPDIR), which would gather in /tmp run" \
      "after run. Run each check alone with TMPDIR set to an empty folder to find the one that makes them, and" \
      "have it remove what it makes:"
    head -n 40 <<<"$left"
    return 1
  fi
  echo "ok: the run left nothing in its temporary folder"
}

run_start=$(date +%s)
stage "build (the package's flags, warnings as errors)" release
# The background checks need the normal build alone: they start before its
# suite, whose waits on sockets, programs and windows leave nearly half of
# the processors' time unused.
for extra in $background_checks; do in_background "$extra" bash "$extra"; done
stage "test (the package's flags)" release_suite
stage "build and test (ASan + UBSan)" sanitizers
# The Python suite has run in both builds above: the package build leaves it out.
export VEKX_PACKAGE_NOCHECK=true
for extra in scripts/checks/*.sh; do
  [ -e "$extra" ] || continue
  case " $background_checks " in *" $extra "*) continue ;; esac
  case $extra in
    scripts/checks/windows-* | scripts/checks/package.sh) stage "$extra" with_compiler_cache bash "$extra" ;;
    *) stage "$extra" bash "$extra" ;;
  esac
done
background_ended
stage "nothing left in the temporary folder" nothing_left
printf '%s\n' "${timings[@]}"
ccache --show-stats | sed -n 's/^ *\(Hits\|Misses\): */compiler cache, \1: /p'
windows_runs_left_out
echo "== all tests passed in $(($(date +%s) - run_start)) s, $(cpu_seconds) CPU-s"

# shellcheck shell=bash
# The Windows architectures the kits and the Windows checks cover, each
# built and run the same way: windows_arches lists them (64-bit first: on a
# kernel that runs no 32-bit program the x64 results still come before the
# x86 failure); windows_arch ARCH sets what one of them needs:
#   triple    the mingw-w64 target and prefix of its tools
#   bits      32 or 64
#   wine      the Wine loader that runs its programs (wine32 or wine64)
#   winearch  the architecture of a Wine prefix for them
# and the test build folder of the checks is build-win$bits.
windows_arches="x64 x86"
# The architectures whose programs the checks run under Wine: every one,
# unless VEKX_WINDOWS_RUN names fewer. scripts/test-all.sh resolves
# VEKX_WINDOWS_RUN=auto (CI's setting) to those this machine runs and says
# which it leaves out; each check says so again where it skips a run.
windows_run_arches="${VEKX_WINDOWS_RUN:-$windows_arches}"
# Prints a line for each architecture whose runs are left out here, and
# one more with the cause when this machine cannot run it.
windows_runs_left_out() {
  local arch why
  for arch in $windows_arches; do
    case " $windows_run_arches " in
      *" $arch "*) ;;
      *)
        echo "NOT RUN: the $arch programs under Wine (VEKX_WINDOWS_RUN=\"$windows_run_arches\");" \
          "only what reads the $arch files was checked"
        why="$(windows_arch "$arch" && wine_can_run 2>&1)" || echo "  because ${why#FAIL: }"
        ;;
    esac
  done
}
windows_arch() {
  case $1 in
    x86) triple=i686-w64-mingw32 bits=32 wine=/usr/lib/wine/wine winearch=win32 ;;
    x64) triple=x86_64-w64-mingw32 bits=64 wine=/usr/lib/wine/wine64 winearch=win64 ;;
    *) echo "unknown Windows architecture '$1': x86 or x64" >&2; return 2 ;;
  esac
}

# Whether this machine runs the architecture's Windows programs; when not,
# says why in one line on standard error and returns 1.
wine_can_run() {
  local why
  if [ ! -x "$wine" ]; then
    echo "FAIL: $wine is missing, so no $bits-bit Windows program runs: run scripts/install-deps.sh" >&2
    return 1
  fi
  if ! why="$("$wine" --version 2>&1)"; then
    echo "FAIL: this kernel cannot run the $bits-bit Wine loader $wine ($(sed 's/^.*: line [0-9]*: [^:]*: //' <<<"$why" |
      tr '\n' ' ' | sed 's/ $//')): the $bits-bit" \
      "Windows checks need a kernel that runs $bits-bit Linux programs (IA-32 emulation); to check" \
      "the rest knowingly without them, set VEKX_WINDOWS_RUN to the others (x64)" >&2
    return 1
  fi
}

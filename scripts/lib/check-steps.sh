# shellcheck shell=bash
# Sourced by the checks that report each finding on a line of its own and
# carry on after a failure: the Windows console's, the Windows kits' and the
# DLL's.
#   pass WHAT          prints "ok: WHAT"
#   fail WHAT          prints "FAIL: WHAT" and counts it in $failures
#   checks_done NAME   ends the check: "NAME: N failure(s)" and exit 1, or
#                      "NAME: all passed" and the rest of its words
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
checks_done() {
  if [ "$failures" -ne 0 ]; then
    echo "$1: $failures failure(s)" >&2
    exit 1
  fi
  echo "$1: all passed${2:+ ($2)}"
}

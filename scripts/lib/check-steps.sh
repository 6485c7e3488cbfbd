# shellcheck shell=bash
# Sourced by the checks that report each finding on a line of its own and
# carry on after a failure: the Windows console's, the Windows kits' and the
# DLL's.
#   pass WHAT          prints "ok: WHAT"
#   fail WHAT          prints "FAIL: WHAT" and counts it in $failures
#   checks_done NAME   ends the check: "NAME: N failure(s)" and exit 1, or
#                      "NAME: all passed" and the rest of its words
failures=0
# A command that ends the check through `set -e` names itself and its place,
# since it may have said nothing (its output sent elsewhere). Functions and
# subshells keep the trap; a failure that a subshell hands up is told where
# the check's own shell meets it.
ended_by() {
  [ "$BASH_SUBSHELL" -eq 0 ] || return 0
  echo "FAIL: ${BASH_SOURCE[1]##*/} line $2: '$3' ended the check with status $1" >&2
}
set -E
trap 'ended_by $? "$LINENO" "$BASH_COMMAND"' ERR
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
checks_done() {
  if [ "$failures" -ne 0 ]; then
    echo "$1: $failures failure(s)" >&2
    exit 1
  fi
  echo "$1: all passed${2:+ ($2)}"
}

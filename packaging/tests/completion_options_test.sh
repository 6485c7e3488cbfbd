#!/usr/bin/env bash
# The bash completion of a program offers the options its --help lists, no
# more and no fewer: an option added to one and not the other fails here.
# usage: completion_options_test.sh PROGRAM COMPLETION-FILE
set -euo pipefail
program=$1
completion=$2
options() { grep -oE -- '--[a-z][a-z-]*' | sort -u; }
helped=$("$program" --help | options)
completed=$(options <"$completion")
if ! diff -u --label "$program --help" --label "$completion" <(echo "$helped") <(echo "$completed"); then
  echo "the options above differ: add each to both, --help and the completion"
  exit 1
fi
echo "$program: $(echo "$helped" | wc -l) options, the same in --help and the completion"

#!/usr/bin/env bash
# Prints the size of the tests against the size of the code, in non-blank
# lines of the tracked C/C++/Lua/shell/Python files. Tests are what lies
# under a tests/ or fuzz/ folder or is named tst_* or *_test.*; code is
# everything else, benchmarks, tools and scripts included. A shell or Python
# file without its usual ending counts too: a script named by its #! line,
# and the bash completions. It informs; it never fails the run.
set -uo pipefail
cd "$(dirname "$0")/../.."
pattern='(^|/)(tests?|fuzz)/|(^|/)tst_[^/]*$|_test\.[a-z]+$'
files=$( (git ls-files -- '*.cpp' '*.h' '*.hpp' '*.c' '*.lua' '*.sh' '*.py' '*/completions/*'
  git ls-files | grep -v -E '\.[^/]*$' | while read -r f; do
    head -n 1 -- "$f" 2>/dev/null | grep -q -E '^#!.*\b(ba)?sh|^#!.*python3?' && printf '%s\n' "$f"
  done) | sort -u)
count() { xargs -r cat 2>/dev/null | grep -c -v -E '^\s*$'; }
tests=$(printf '%s\n' "$files" | grep -E "$pattern" | count)
code=$(printf '%s\n' "$files" | grep -v -E "$pattern" | count)
echo "non-blank lines: tests $tests, code $code, ratio $(awk -v t="$tests" -v c="$code" 'BEGIN { printf "%.2f", t / c }')"
for part in vekxapi console simulator tools common python tests; do
  t=$(printf '%s\n' "$files" | grep "^$part/" | grep -E "$pattern" | count)
  c=$(printf '%s\n' "$files" | grep "^$part/" | grep -v -E "$pattern" | count)
  echo "  $part: tests $t, code $c"
done
exit 0

#!/bin/sh
# Every option that PROGRAM --help prints must appear in its manual page
# source, with the same value name (--size N, --field NAME[=TEXT]), so that
# the page cannot fall behind the program nor name a value otherwise.
#   help_options_test.sh PROGRAM PAGE.scd
set -eu
program=$1
page=$2
help=$("$program" --help)
options=$(printf '%s\n' "$help" | grep -o -e '--[a-z][a-z0-9-]*' | sort -u)
if [ -z "$options" ]; then
  echo "no options found in the output of $program --help"
  exit 1
fi
missing=0
for option in $options; do
  # The whole option, not the start of a longer one (--no is not --node).
  if ! grep -q -E -e "(^|[^a-z0-9-])$option([^a-z0-9-]|\$)" "$page"; then
    echo "$(basename "$page") lacks $option, which $(basename "$program") --help lists"
    missing=1
  fi
done
# Each option with its value name as --help writes it ("--log FILE" or
# "--log=FILE"), against the page's "*--log* _FILE_" without its markup.
plain_page=$(sed -e 's/[*_]//g' "$page")
valued=$(printf '%s\n' "$help" | grep -o -E -e '--[a-z][a-z0-9-]*[ =][A-Z][A-Z0-9]*(\[[^] ]*\])?' |
  sed -E -e 's/^(--[a-z0-9-]+)=/\1 /' | sort -u)
old_ifs=$IFS
IFS='
'
for pair in $valued; do
  if ! printf '%s\n' "$plain_page" | grep -q -F -e "$pair"; then
    echo "$(basename "$page") does not name the value of ${pair%% *} as $(basename "$program") --help does: $pair"
    missing=1
  fi
done
IFS=$old_ifs
[ "$missing" -eq 0 ] && echo "$(basename "$page") names all of: $(printf '%s ' $options)"
exit "$missing"

#!/bin/sh
# Every option that PROGRAM --help prints must appear in its manual page
# source, so that the page cannot fall behind the program.
#   help_options_in_page.sh PROGRAM PAGE.scd
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
[ "$missing" -eq 0 ] && echo "$(basename "$page") names all of: $(printf '%s ' $options)"
exit "$missing"

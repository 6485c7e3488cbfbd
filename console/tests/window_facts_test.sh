#!/usr/bin/env bash
# What the scripts read from window_facts.sh against the window: its title,
# its screenshot's size and the middles of the two controls the demo clicks.
# A title read back otherwise or a middle beside its control fails here, not
# as a demo that clicks next to the address box.
# usage: window_facts_test.sh PATH/TO/window_facts.sh
set -euo pipefail
# shellcheck source=/dev/null
source "$1"
failed=0
while read -r name expected; do
  if [ "${!name:-}" = "$expected" ]; then echo "ok: $name is '$expected'"; else
    echo "FAIL: $name is '${!name:-}', not '$expected'"
    failed=1
  fi
done <<'FACTS'
window_title TEST KTRV
window_size 708x443
centre_IPAddr 584 24
centre_IPupdate 632 64
FACTS
exit $failed

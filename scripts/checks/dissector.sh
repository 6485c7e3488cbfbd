#!/usr/bin/env bash
# The Wireshark dissector against a capture of hand-written datagrams, once
# per test run (it needs no build, so CTest does not run it). CI installs
# tshark, so here a missing tshark is a failure, not a skip.
set -euo pipefail
cd "$(dirname "$0")/../.."
if ! command -v tshark >/dev/null; then
  echo "dissector check: tshark is missing; scripts/install-deps.sh installs it"
  exit 1
fi
bash tools/wireshark/check_dissector.sh

#!/usr/bin/env bash
# Turns the hand-written datagrams of tests/session.hex into a capture and
# compares what tshark shows with vekx.lua against tests/session.expected.
#   check_dissector.sh            compare (exit 0 same, 1 different, 77 skipped)
#   check_dissector.sh --update   rewrite the expected text (review the diff!)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
lua="$here/vekx.lua"
hex="$here/tests/session.hex"
expected="$here/tests/session.expected"

for tool in tshark text2pcap; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIPPED: $tool is not installed (Debian package tshark); the dissector was not checked"
    exit 77
  fi
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# A home of its own: no personal preferences or plugins take part.
export HOME="$work"

# Wireshark loads its global Lua plugins first, and the dissector keeps the
# first copy loaded; a different installed copy would be checked instead.
global_lua="$(tshark -G folders 2>/dev/null | sed -n 's/^Global Lua Plugins:[[:space:]]*//p')"
if [ -n "$global_lua" ] && [ -f "$global_lua/vekx.lua" ] && ! cmp -s "$global_lua/vekx.lua" "$lua"; then
  echo "SKIPPED: a different vekx.lua is installed in $global_lua and would be loaded instead"
  exit 77
fi

text2pcap -q -D -u 1701,1701 -4 127.0.0.2,127.0.0.1 "$hex" "$work/session.pcap"

run_tshark() {
  # -2: a second pass, so that a request shows the frame of its reply.
  tshark -X "lua_script:$lua" -2 -r "$work/session.pcap" "$@" 2>>"$work/stderr"
}
{
  echo "== summary"
  run_tshark -T fields -e frame.number -e _ws.col.Info
  # The dissector's tree of each frame, without the lower layers.
  run_tshark -O vekx -V | awk '
    /^Frame [0-9]+:/ { sub(":", "", $2); print "== frame " $2; inside = 0; next }
    /^VekX/ { inside = 1; print; next }
    /^[^ ]/ { inside = 0; next }
    inside && NF { print }'
} >"$work/actual"

# On other ports the header alone finds the protocol: every well-formed
# frame shows as on 1701 (a malformed one cannot be told from other UDP).
text2pcap -q -D -u 11701,40000 -4 127.0.0.2,127.0.0.1 "$hex" "$work/other-port.pcap"
tshark -X "lua_script:$lua" -2 -r "$work/other-port.pcap" -T fields -e frame.number -e _ws.col.Info \
  2>>"$work/stderr" >"$work/other-port"
sed -n '/^== summary/,/^== frame/p' "$work/actual" | sed '1d;$d' | grep -v "Malformed" >"$work/well-formed"
if ! diff -u "$work/well-formed" <(grep -F -x -f "$work/well-formed" "$work/other-port"); then
  echo "FAILED: on ports other than 1701 the dissector did not find the protocol as on 1701"
  exit 1
fi

if grep -qi "lua" "$work/stderr"; then
  echo "FAILED: tshark reported a Lua problem:"
  cat "$work/stderr"
  exit 1
fi
if [ "${1:-}" = "--update" ]; then
  cp "$work/actual" "$expected"
  echo "rewrote $expected"
  exit 0
fi
if ! diff -u "$expected" "$work/actual"; then
  echo "FAILED: the dissector's output differs from $expected"
  exit 1
fi
echo "dissector: $(grep -c '^== frame' "$work/actual") frames decoded as expected"

#!/usr/bin/env bash
# The README's command blocks as a person uses them: each block marked
#   <!-- readme check: prints "TEXT" -->
# is pasted line by line into an interactive bash (with job control, as in
# a terminal) under tmux, in a scratch folder that sees the checkout and its
# build tree, and must print TEXT; no job of it may be stopped by the shell,
# and it may leave no file in the folder (in a checkout it would be an
# untracked file). A block that cannot run here (it installs packages or
# builds for minutes) is marked
#   <!-- readme check: not run: REASON -->
# and a block with neither mark fails the check. Needs the normal build in
# build/.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
[ -x "$root/build/bin/vekxsim" ] || { echo "readme check: build/ has no programs; build first"; exit 1; }
# The check's own folder holds the scratch folder the blocks run in
# (checkout/), the temporary folder of the blocks' files (tmp/: what a
# person's mktemp would put in /tmp) and the tmux sockets (tmux/). pytest
# keeps its cache in the folder that its tests and where it runs share.
own="$(mktemp -d -t ktrv-readme.XXXXXX)"
work="$own/checkout" blocks_tmp="$own/tmp" sockets="$own/tmux"
mkdir "$work" "$blocks_tmp" "$sockets"
# Each block has a tmux server of its own: a block's shell ends its session,
# and a server that is shutting down as the next block asks it for a session
# answers "server exited unexpectedly". Their sockets live outside the
# scratch folder, which must stay empty.
socket="$sockets/none"
term() { tmux -S "$socket" "$@"; }
cleanup() {
  term kill-server 2>/dev/null || true
  rm -rf "$own"
}
trap cleanup EXIT
for entry in "$root"/*; do ln -s "$entry" "$work/"; done

# Every block carries a mark: an example nobody runs goes stale unseen.
unmarked="$(awk '/^    / && previous !~ /^    / && previous !~ /^<!-- readme check: (prints "|not run: )/ {
  printf " %d", NR } { previous = $0 }' "$root/README.md")"
if [ -n "$unmarked" ]; then
  echo "readme check FAILED: README.md blocks without a mark at lines$unmarked: mark each with" \
    '<!-- readme check: prints "TEXT" --> (or not run: REASON)'
  exit 1
fi

# The marked blocks: the expected text, then the block's lines.
mapfile -t marks < <(grep -n '^<!-- readme check: prints "' "$root/README.md" | cut -d: -f1)
[ "${#marks[@]}" -gt 0 ] || { echo "readme check: no marked block in README.md"; exit 1; }
checked=0
for mark in "${marks[@]}"; do
  expected="$(sed -n "${mark}p" "$root/README.md" | sed -e 's/^<!-- readme check: prints "//' -e 's/" -->$//')"
  # One process each: a reader that stops early would end a writer before it
  # with SIGPIPE, which pipefail takes for a failure.
  block="$(awk -v first=$((mark + 1)) 'NR >= first { if (!/^    /) exit; print substr($0, 5) }' "$root/README.md")"
  socket="$sockets/$mark"
  term new-session -d -x 200 -y 60 -c "$work" "TMPDIR=$blocks_tmp bash --norc --noprofile -i" ||
    { echo "readme check FAILED at README.md line $mark: tmux could not open a terminal for the block (its message is above)"; exit 1; }
  while IFS= read -r line; do
    term send-keys -l "$line"
    term send-keys Enter
  done <<<"$block"
  seen=no
  for _ in $(seq 100); do
    if grep -qF -- "$expected" <<<"$(term capture-pane -p)"; then seen=yes; break; fi
    sleep 0.1
  done
  screen="$(term capture-pane -p)"
  if [ "$seen" != yes ] || grep -q "Stopped" <<<"$screen"; then
    echo "readme check FAILED at README.md line $mark: expected \"$expected\""
    echo "$screen"
    exit 1
  fi
  left="$(find "$work" -mindepth 1 -maxdepth 1 ! -type l -printf '%f ')"
  if [ -n "$left" ]; then
    echo "readme check FAILED at README.md line $mark: the block left files in the checkout: $left"
    exit 1
  fi
  # The block's jobs end with its shell, and so does its server.
  term send-keys 'kill $(jobs -p) 2>/dev/null; exit' Enter
  for _ in $(seq 50); do term has-session 2>/dev/null || break; sleep 0.1; done
  term kill-server 2>/dev/null || true
  checked=$((checked + 1))
  echo "ok: README.md line $mark prints \"$expected\""
done
echo "readme check: $checked blocks passed"

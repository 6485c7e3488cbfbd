#!/usr/bin/env bash
# The console's CPU use over 10 s idle-polling and 10 s with a command waiting
# on a mailbox stuck at 255, as Markdown lines. Argument: the build folder.
set -euo pipefail
bin="$1/bin/console_cpu_bench"
for mode in idle waiting; do
  line=$(QT_QPA_PLATFORM=offscreen "$bin" "$mode" 2>/dev/null | tail -n 1)
  echo "- $line"
done

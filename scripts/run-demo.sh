#!/usr/bin/env bash
# The main job on a fresh Debian machine: install what is needed, build, start
# the simulated terminal on loopback and open the console pointed at it.
exec "$(dirname "$0")/../console/run-demo.sh" "$@"

#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
# The 32-bit Windows programs run under wine32, a package of the i386
# architecture.
$SUDO dpkg --add-architecture i386
# A Debian mirror that is part way through a sync serves an index whose size
# or hash does not match its Release file ("Mirror sync in progress?"), and
# apt-get update fails on it. The sync ends within minutes: try again, waiting
# longer each time, for about eight minutes in all.
update_tries=(15 30 60 120 240)
for wait in "${update_tries[@]}" last; do
  if $SUDO apt-get -o Acquire::Retries=3 update; then break; fi
  if [ "$wait" = last ]; then
    echo "apt-get update failed ${#update_tries[@]} more times after its first failure; the mirror, or the way to it, is at fault (apt's messages above name the index): run scripts/install-deps.sh again later, or set another mirror in /etc/apt/sources.list.d" >&2
    exit 1
  fi
  echo "apt-get update failed (a mirror part way through a sync fails like this); trying again in $wait s" >&2
  sleep "$wait"
done
$SUDO apt-get install -y --no-install-recommends \
  build-essential cmake ninja-build ccache pkg-config git ca-certificates python3 \
  libgtest-dev libgmock-dev googletest libbenchmark-dev \
  qt6-base-dev libgl-dev fonts-liberation fontconfig \
  xvfb xauth x11-apps xdotool imagemagick \
  clang-14 libfuzzer-14-dev libclang-rt-14-dev clang-tidy cppcheck clang-format \
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64 wine64 wine32:i386 llvm librsvg2-bin \
  tshark libpcap-dev nlohmann-json3-dev file dpkg-dev iproute2 zip unzip \
  python3-pytest python3-pytest-xdist mypy dh-python pybuild-plugin-pyproject python3-all python3-setuptools \
  libboost-dev curl chromium chromium-driver python3-selenium \
  debhelper fakeroot lintian scdoc mandoc man-db bash-completion desktop-file-utils tmux \
  mono-mcs mono-runtime fpc python3-wheel
# npm fetches axe-core for the web panel's accessibility check in the browser
# tests: Debian's, unless an installed Node.js brings its own.
command -v npm >/dev/null || $SUDO apt-get install -y --no-install-recommends nodejs npm

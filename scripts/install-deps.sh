#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
# The 32-bit Windows programs run under wine32, a package of the i386
# architecture.
$SUDO dpkg --add-architecture i386
# A Debian mirror part way through a sync (or a proxy that caches its files
# out of step) serves an index whose size or hash does not match its Release
# file, and apt-get update fails for that index alone. Try again briefly, then
# go on with the indexes apt has: what they hold installs, and what needs the
# missing one fails below with apt's own words.
for wait in 15 30 last; do
  if $SUDO apt-get -o Acquire::Retries=3 update; then break; fi
  if [ "$wait" = last ]; then
    echo "apt-get update could not fetch every package index (apt's messages above name them); going on with the indexes it has" >&2
    break
  fi
  echo "apt-get update failed; trying again in $wait s" >&2
  sleep "$wait"
done
$SUDO apt-get install -y --no-install-recommends \
  build-essential cmake ninja-build ccache pkg-config git ca-certificates python3 \
  libgtest-dev libgmock-dev googletest libbenchmark-dev \
  qt6-base-dev libgl-dev fonts-liberation fontconfig \
  xvfb xauth x11-apps xdotool imagemagick \
  clang-14 libfuzzer-14-dev libclang-rt-14-dev clang-tidy cppcheck clang-format \
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64 wine64 llvm librsvg2-bin \
  tshark libpcap-dev nlohmann-json3-dev file dpkg-dev iproute2 zip unzip \
  python3-pytest python3-pytest-xdist mypy dh-python pybuild-plugin-pyproject python3-all python3-setuptools \
  libboost-dev curl chromium chromium-driver python3-selenium \
  debhelper fakeroot lintian scdoc mandoc man-db bash-completion desktop-file-utils tmux \
  mono-mcs mono-runtime fpc python3-wheel
# wine32 alone needs the i386 indexes, and only the x86 Windows programs
# need wine32: without it everything else still builds and runs.
if ! $SUDO apt-get install -y --no-install-recommends wine32:i386; then
  echo "wine32:i386 could not be installed (apt's messages above say why; an i386 package index that apt-get update" \
    "could not fetch is the usual cause): the x86 Windows programs cannot run on this machine, and their checks fail" \
    "unless VEKX_WINDOWS_RUN=auto (as CI sets) or VEKX_WINDOWS_RUN=x64 leaves them out. Run scripts/install-deps.sh" \
    "again once apt-get update succeeds." >&2
fi
# npm fetches axe-core for the web panel's accessibility check in the browser
# tests: Debian's, unless an installed Node.js brings its own.
command -v npm >/dev/null || $SUDO apt-get install -y --no-install-recommends nodejs npm

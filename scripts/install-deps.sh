#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
# The 32-bit Windows programs run under wine32, a package of the i386
# architecture.
$SUDO dpkg --add-architecture i386
$SUDO apt-get update
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

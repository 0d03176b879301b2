#!/usr/bin/env bash
# Installs every Debian 12 package needed to build, run and test the program.
# Non-interactive and idempotent: safe to run on every build.
set -euo pipefail

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

PACKAGES=(
  # toolchain
  build-essential cmake ninja-build ccache pkg-config clang libclang-rt-14-dev git
  # Qt 5.15 and Qwt
  qtbase5-dev qtbase5-dev-tools qttools5-dev qttools5-dev-tools
  libqt5sql5-sqlite libqt5svg5-dev qtmultimedia5-dev libqt5multimedia5-plugins
  qtscript5-dev libqt5opengl5-dev libqwt-qt5-dev
  # signal processing, codecs, network, databases
  libfftw3-dev libliquid-dev libmp3lame-dev libsndfile1-dev
  libcurl4-openssl-dev libjansson-dev libsodium-dev
  libhamlib-dev libgeographiclib-dev libsqlite3-dev sqlite3
  # tests and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  # headless run-time pieces the tests use
  pulseaudio pulseaudio-utils xvfb xauth fonts-dejavu-core socat mpg123 sox locales
  # driving the real program on a private X server: input, screenshots, the close request
  xdotool imagemagick libx11-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update
  $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

# The French test locale (number formatting with a decimal comma).
if ! locale -a 2>/dev/null | grep -qi '^fr_FR\.utf8$'; then
  $SUDO localedef -i fr_FR -f UTF-8 fr_FR.UTF-8 || true
fi

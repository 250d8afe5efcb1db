#!/usr/bin/env bash
# Installs every Debian package the build, the tests, the benchmarks and the
# fuzz targets need, and GNU parallel; with the argument "screenshot", also
# what scripts/screenshot.sh needs (a virtual display, clicks, a screen grab);
# with "emulator", what scripts/emulator-check.sh needs (those and the
# emulator).
# Safe to run again: it does nothing when all are present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  zlib1g-dev libjpeg62-turbo-dev libgif-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libcli11-dev libgtest-dev libgmock-dev libbenchmark-dev
  hyperfine parallel  # scripts/bench-cli.sh; README's recipe for a folder of frames
  clang libclang-rt-14-dev
  pasmo z80asm libspectrum-dev libz80ex-dev
)
[ "${1:-}" = screenshot ] && packages+=(xvfb xdotool imagemagick)
[ "${1:-}" = emulator ] && packages+=(xvfb xdotool imagemagick fuse-emulator-sdl opense-basic)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"

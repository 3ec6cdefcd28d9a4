#!/usr/bin/env bash
# Installs every Debian package the game, its tools, tests and benchmarks need.
# Idempotent: quiet and quick when everything is already there.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config
  libsdl2-dev                                  # window, GL context, input events
  libgl-dev libegl-dev libgl1-mesa-dri libegl-mesa0   # OpenGL 3.3 core on Mesa (llvmpipe)
  libopenal-dev libsndfile1-dev                # sound
  libmpg123-dev                                # mp3 decoding, read to the last frame
  libtinyxml2-dev                              # particle definitions
  libstb-dev                                   # image loading and writing, font rasterising
  fonts-dejavu-core                            # the debug and dialog font
  libgtest-dev libgmock-dev libbenchmark-dev   # tests and benchmarks
  libbullet-dev                                # the physics benchmark's peer (never linked into the game)
  xvfb xauth x11-utils xdotool                 # a real X window without a display
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

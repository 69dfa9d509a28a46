#!/usr/bin/env bash
# Installs every Debian package that the build, the tests and the tools need.
# Idempotent: only packages that are missing are installed, and apt's lists are
# refreshed only when something has to be installed.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build ccache pkg-config git
  clang-14 libclang-rt-14-dev lld-14
  # JUCE and its system libraries
  juce-modules-source juce-modules-source-data
  libasound2-dev libfreetype-dev libfontconfig1-dev libgl-dev libx11-dev libxext-dev
  libxinerama-dev libxrandr-dev libxcursor-dev libxcomposite-dev libjpeg-dev libpng-dev
  libflac-dev libvorbis-dev libgtk-3-dev lv2-dev
  # DSP composition
  libboost-dev
  # tests and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev valgrind
  # headless editor checks and LV2 hosting tools
  xvfb xdotool imagemagick x11-utils jalv lilv-utils
  # re-rendering the artwork and converting the fonts (tools/artwork)
  python3-cairo python3-pil python3-fonttools fontforge python3-fontforge fontconfig
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]} == 0)); then
  echo "install-deps: all ${#packages[@]} packages present"
  exit 0
fi

SUDO=""
if [[ $(id -u) -ne 0 ]]; then SUDO="sudo"; fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "install-deps: done"

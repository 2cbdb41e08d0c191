#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the game need; with the argument
# "package", also those that build the Debian package and check it.
# Does nothing when every package is already present.
set -euo pipefail

packages=(
  build-essential cmake make pkg-config git
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libglew-dev libglm-dev libgl-dev libgl1-mesa-dri zlib1g-dev
  xvfb xauth x11-utils libx11-dev libxext-dev libxtst-dev
  clang libclang-rt-14-dev clang-format
  linux-perf
)
if [ "${1:-}" = package ]; then
  packages+=(dpkg-dev file desktop-file-utils appstream lintian)
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  sudo=()
else
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"

#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the game need; with the argument
# "package", also those that build the Debian package and check it; with "windows", the MinGW-w64
# cross compiler, Wine, and the source-package entries that bring SDL2's and GLEW's sources; with
# "web", Emscripten, Chromium and npm for the browser build and its tests, and the source entries.
# Does nothing when every package is already present.
set -euo pipefail

packages=(
  build-essential cmake make ninja-build pkg-config git python3
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libglew-dev libglm-dev libgl-dev libgl1-mesa-dri zlib1g-dev
  xvfb xauth x11-utils libx11-dev libxext-dev libxtst-dev
  clang libclang-rt-14-dev clang-format
  linux-perf
)
if [ "${1:-}" = package ]; then
  packages+=(dpkg-dev file desktop-file-utils appstream lintian)
fi
if [ "${1:-}" = windows ]; then
  packages+=(dpkg-dev g++-mingw-w64-x86-64-posix wine wine64)
fi
if [ "${1:-}" = web ]; then
  packages+=(dpkg-dev emscripten binaryen chromium gzip)
  # A node from elsewhere comes with its own npm; Debian's would replace it.
  command -v npm >/dev/null || packages+=(npm)
fi

if [ "$(id -u)" -eq 0 ]; then
  sudo=()
else
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
apt_get=("${sudo[@]}" apt-get -o DPkg::Lock::Timeout=600)

# SDL2's and GLEW's sources come from source entries that mirror the binary ones, so from the
# same archive; they are added, and the lists read again, when apt does not know those sources.
if { [ "${1:-}" = windows ] || [ "${1:-}" = web ]; } && ! apt-cache showsrc glew 2>/dev/null | grep -q '^Package: glew$'; then
  if ! grep -qrs -e '^deb-src ' -e '^Types:.*deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/
  then
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
      sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
        "${sudo[@]}" tee /etc/apt/sources.list.d/velmora-sources.sources >/dev/null
    else
      sed -n 's/^deb /deb-src /p' /etc/apt/sources.list |
        "${sudo[@]}" tee /etc/apt/sources.list.d/velmora-sources.list >/dev/null
    fi
  fi
  "${apt_get[@]}" update -qq
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
"${apt_get[@]}" update -qq
"${apt_get[@]}" install -y -qq --no-install-recommends "${missing[@]}"

#!/usr/bin/env bash
# Builds the libraries the Windows program links statically into the folder given
# (build-windows/deps): SDL2 and GLEW for 64-bit Windows with MinGW-w64, from Debian's source
# packages, and GLM's headers and CMake package copied from Debian's libglm-dev (the package
# locates itself, so the cross build never sees /usr/include); with the licences of all that the
# program carries, in prefix/licences. The result, prefix/, is kept: a later build uses it as
# it is, unless this script or the toolchain file has changed since.
set -euo pipefail
folder=$(realpath -m "$1")
prefix=$folder/prefix
toolchain=$(realpath "$(dirname "$0")/../packaging/windows/toolchain.cmake")
jobs=${JOBS:-$(nproc)}
recipe=$(cat "$0" "$toolchain" | sha256sum)
[ "$(cat "$prefix/done" 2>/dev/null)" = "$recipe" ] && exit 0

rm -rf "$folder"
mkdir -p "$folder/src" "$prefix/include" "$prefix/share/cmake"
echo "Fetching the sources of SDL2 and GLEW"
(cd "$folder/src" && apt-get source libsdl2 glew >../source.log 2>&1) || {
  cat "$folder/source.log"
  exit 1
}
cross=(-G "Unix Makefiles" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_FIND_ROOT_PATH="$prefix"
  -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF)
build() { # source folder, then CMake options; their own warnings go to the log with the rest
  local source=$1
  shift
  {
    cmake -S "$source" -B "$source/build" "${cross[@]}" "$@" &&
      cmake --build "$source/build" -j "$jobs" && cmake --install "$source/build"
  } >"$source/build.log" 2>&1 || {
    tail -n 40 "$source/build.log"
    exit 1
  }
}
echo "Building SDL2 for Windows"
# The program uses SDL's video, events, timer, game controllers and audio alone, and reads keys,
# not text: without the input method editor's support SDL starts no COM, whose service under Wine
# may fail to start and say so on standard error. Audio has Windows' three back-ends (WASAPI,
# which starts COM only when it is the driver chosen, DirectSound and WinMM), all on system DLLs,
# and the library's disk and dummy drivers, which the tests choose.
build "$folder"/src/libsdl2-*/ -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_AUDIO=ON \
  -DSDL_WASAPI=ON -DSDL_DIRECTX=ON -DSDL_DISKAUDIO=ON -DSDL_DUMMYAUDIO=ON -DSDL_HAPTIC=OFF -DSDL_HIDAPI=OFF -DSDL_SENSOR=OFF -DSDL_POWER=OFF \
  -DSDL_RENDER=OFF -DCMAKE_C_FLAGS=-DSDL_DISABLE_WINDOWS_IME
echo "Building GLEW for Windows"
build "$folder"/src/glew-*/build/cmake -DBUILD_UTILS=OFF
cp -r /usr/include/glm "$prefix/include/"
cp -r /usr/share/cmake/glm "$prefix/share/cmake/"
mkdir "$prefix/licences"
cp "$folder"/src/libsdl2-*/LICENSE.txt "$prefix/licences/SDL2.txt"
cp "$folder"/src/glew-*/LICENSE.txt "$prefix/licences/GLEW.txt"
cp /usr/share/doc/libglm-dev/copyright "$prefix/licences/GLM.txt"
cp /usr/share/doc/mingw-w64-common/copyright "$prefix/licences/MinGW-w64.txt"
echo "$recipe" >"$prefix/done"

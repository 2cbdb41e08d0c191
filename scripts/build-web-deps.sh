#!/usr/bin/env bash
# Builds SDL2 for the browser into the folder given (build-web/deps), with Emscripten, from
# Debian's source package: static, on one thread, with the parts the program uses (video on the
# browser's canvas, events, timer, joystick and game controllers on the browser's gamepads, and
# audio through the browser's own); GLM's headers and CMake package copied from Debian's
# libglm-dev (the Emscripten toolchain looks for packages only in its own folders and here). The
# result, prefix/, is kept: a later build uses it as it is, unless this script has changed since.
set -euo pipefail
folder=$(realpath -m "$1")
prefix=$folder/prefix
jobs=${JOBS:-$(nproc)}
recipe=$(sha256sum <"$0")
[ "$(cat "$prefix/done" 2>/dev/null)" = "$recipe" ] && exit 0

rm -rf "$folder"
mkdir -p "$folder/src" "$prefix/licences"
echo "Fetching the sources of SDL2"
(cd "$folder/src" && apt-get source libsdl2 >../source.log 2>&1) || {
  cat "$folder/source.log"
  exit 1
}
source=$(echo "$folder"/src/libsdl2-*/)
echo "Building SDL2 for the browser"
{
  emcmake cmake -S "$source" -B "$source/build" -G "Unix Makefiles" \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DSDL_SHARED=OFF -DSDL_STATIC=ON \
    -DSDL_TEST=OFF -DSDL_THREADS=OFF -DSDL_PTHREADS=OFF -DSDL_AUDIO=ON -DSDL_HAPTIC=OFF \
    -DSDL_SENSOR=OFF -DSDL_POWER=OFF -DSDL_RENDER=OFF -DSDL_FILESYSTEM=OFF -DSDL_LOCALE=OFF \
    -DSDL_MISC=OFF -DSDL_HIDAPI=OFF -DSDL_DISKAUDIO=OFF &&
    cmake --build "$source/build" -j "$jobs" && cmake --install "$source/build"
} >"$source/build.log" 2>&1 || {
  tail -n 40 "$source/build.log"
  exit 1
}
mkdir -p "$prefix/include" "$prefix/share/cmake"
cp -r /usr/include/glm "$prefix/include/"
cp -r /usr/share/cmake/glm "$prefix/share/cmake/"
cp "$source/LICENSE.txt" "$prefix/licences/SDL2.txt"
echo "$recipe" >"$prefix/done"

#!/usr/bin/env bash
# Plays the Windows program through under Wine: the zip unpacked into a folder of its own, and
# the end-to-end play-through of the Linux build (the e2e_tests program given) run against
# `wine velmora.exe` started there, on an X server of its own. The Wine prefix is kept in
# build-windows/wine: a new one takes a while to set up.
set -euo pipefail
zip=$(realpath "$1")
e2e_tests=$(realpath "$2")
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
(cd "$folder" && cmake -E tar xf "$zip")

# Wine's own failures (a DLL it cannot load, say) show on standard error, its notes do not; it
# neither offers to download Mono or Gecko, which the program does not need.
export WINEPREFIX=$PWD/build-windows/wine WINEDEBUG=fixme-all WINEDLLOVERRIDES='mscoree,mshtml=' \
  WINELOADER=/usr/lib/wine/wine64
if [ ! -d "$WINEPREFIX" ]; then
  echo "Setting up the Wine prefix $WINEPREFIX"
  wineboot --init >/dev/null 2>&1
  wineserver --wait
fi
# Double-clicked, the program starts in its own folder. Debian's wine command would warn on
# standard error that the 32-bit Wine is missing, which a 64-bit program does not need: the
# 64-bit loader is started as that command starts it.
printf '#!/bin/sh\ncd "$(dirname "$0")" && exec %s velmora.exe "$@"\n' /usr/lib/wine/wine64 >"$folder/play"
chmod +x "$folder/play"
# The program keeps its games where Windows keeps a user's data, %APPDATA%, which lies under the
# prefix: the play-through to the end finds them there, with no VELMORA_DATA_DIR to point
# elsewhere. Wine's server goes on for a moment after the program ends; the X server must
# outlast it.
export VELMORA_PLAY_DATA="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/velmora"
VELMORA_PLAY=$folder/play tests/private-x.sh sh -c \
  'unset VELMORA_DATA_DIR; "$0" --gtest_filter=Program.PlaysThroughInstalled:Program.Keeps*; \
   status=$?; wineserver --wait; exit $status' "$e2e_tests"

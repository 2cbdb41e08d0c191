#!/usr/bin/env bash
# Starts the game from its build folder, where the shader files sit beside the binary.
set -euo pipefail
build_dir=${1:-build}
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display is available: set DISPLAY to an X server to play Velmora."
  exit 0
fi
cd "$build_dir"
exec ./velmora

#!/bin/sh
# Runs a test program in an X server of its own, so that no other test's windows or events
# reach it. The server picks a free display and names it on the pipe once it accepts clients.
set -eu
dir=$(mktemp -d)
# Programs under test keep their games and settings in folders of the run's own, never in the
# user's, and the tests their other files (GoogleTest's TempDir): two runs at once never meet.
export VELMORA_DATA_DIR="${VELMORA_DATA_DIR:-$dir/data}"
export VELMORA_CONFIG_DIR="${VELMORA_CONFIG_DIR:-$dir/config}"
export TEST_TMPDIR="$dir/"
mkfifo "$dir/display"
Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1280x1024x24 3>"$dir/display" 2>"$dir/log" &
trap 'kill $! 2>/dev/null; rm -rf "$dir"' EXIT
read -r display <"$dir/display" || { cat "$dir/log" >&2; exit 1; }
DISPLAY=:$display "$@"

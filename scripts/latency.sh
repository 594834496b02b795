#!/usr/bin/env bash
# The time from an input (F, and a drag step, on the paused picture) to the
# changed pixels of the program's X window on its SDL2 backend, on a private
# Xvfb with openbox and real input from xdotool: the median and the worst of
# the given number of tries (tests/platform/sdl_latency.sh, which the test
# suite runs for a single try as a check that the change arrives at all).
#   scripts/latency.sh [tries] [program]   (default 20 tries of build/velmora)
set -euo pipefail
cd "$(dirname "$0")/.."
tries=${1:-20}
cmake --preset default >/dev/null
cmake --build --preset default --target velmora sdl_latency_probe sdl_last_frame_shim >/dev/null
program=${2:-build/velmora}
exec tests/platform/sdl_latency.sh "$program" build/tests/platform/sdl_latency_probe \
  build/tests/platform/libsdl_last_frame_shim.so "$tries"

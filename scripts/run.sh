#!/usr/bin/env bash
# Installs what the program needs if it is missing (the compiler, CMake and
# SDL2: no test or benchmark libraries), builds the program alone (preset
# run) and starts it on the current display. Without one (DISPLAY and
# WAYLAND_DISPLAY unset) it installs xvfb and runs itself again under
# xvfb-run, on a virtual screen of 1280 by 1024 that nobody sees.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/jobs.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  ./scripts/deps.sh xvfb
  echo "run.sh: no display; running on a virtual screen under xvfb-run" >&2
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
./scripts/deps.sh run
cmake --preset run >/dev/null
cmake --build --preset run --target velmora
exec ./build-run/velmora

#!/usr/bin/env bash
# Installs what is missing, builds the demo and starts it in a window on the
# current display (DISPLAY must be set; under Xvfb: xvfb-run -a scripts/run.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh build
cmake --preset default >/dev/null
cmake --build --preset default --target velmora
exec ./build/velmora

#!/usr/bin/env bash
# VELMORA in the browser: installs what is missing, builds the page with
# Debian's emscripten (preset web) and serves it at http://127.0.0.1:8000/
# (PORT changes the port) until interrupted.
#   scripts/web.sh
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/jobs.sh
./scripts/deps.sh web
cmake --preset web >/dev/null
cmake --build --preset web --target velmora
port=${PORT:-8000}
echo "VELMORA is at http://127.0.0.1:$port/ (Ctrl-C stops the server)"
exec python3 -m http.server "$port" --bind 127.0.0.1 --directory build-web

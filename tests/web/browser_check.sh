#!/usr/bin/env bash
# Serves the web build on a free local port with Python's static server and
# drives the page in Debian's headless Chromium (browser/browser_test.mjs,
# puppeteer-core installed with npm ci from its lock file).
#   browser_check.sh WEB_BUILD SCREENSHOT
set -euo pipefail
build=$1 screenshot=$2
here=$(cd "$(dirname "$0")" && pwd)
for tool in node npm chromium python3; do
  command -v "$tool" >/dev/null || { echo "browser_check: SKIPPED: $tool is not installed"; exit 77; }
done
[[ -f $build/velmora.js && -f $build/index.html ]] || { echo "browser_check: no web build in $build"; exit 1; }
(cd "$here/browser" && npm ci --no-audit --no-fund --loglevel=error >/dev/null)
bytes=$(cat "$build/index.html" "$build/velmora.js" "$build/velmora.wasm" | wc -c)
echo "browser_check: the page weighs $bytes bytes (HTML, JS and wasm, uncompressed)"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$build" >/dev/null 2>&1 &
server=$!
trap 'kill $server 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  python3 -c "import urllib.request; urllib.request.urlopen('http://127.0.0.1:$port/')" 2>/dev/null && break
  sleep 0.1
done
node "$here/browser/browser_test.mjs" "http://127.0.0.1:$port/" "$screenshot"

#!/usr/bin/env bash
# Draws two fixed states natively (native_frame) and compares the page's
# canvas with them in Debian's headless Chromium, and in Firefox ESR where
# it is installed (browser/same_canvas.mjs), the web build served on a free
# local port as browser_check.sh does.
#   same_canvas.sh NATIVE_FRAME_EXE WEB_BUILD
set -euo pipefail
native=$1 build=$2
here=$(cd "$(dirname "$0")" && pwd)
for tool in node npm chromium python3; do
  command -v "$tool" >/dev/null || { echo "same_canvas: SKIPPED: $tool is not installed"; exit 77; }
done
[[ -f $build/velmora.js && -f $build/index.html ]] || { echo "same_canvas: no web build in $build"; exit 1; }
(cd "$here/browser" && npm ci --no-audit --no-fund --loglevel=error >/dev/null)
work=$(mktemp -d)
server=""
cleanup() {
  if [[ -n $server ]]; then kill "$server" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
VELMORA_BACKEND=headless "$native" "$work/first" "$work/second"
source "$here/serve.sh"
serve_folder "$build"
node "$here/browser/same_canvas.mjs" chromium "http://127.0.0.1:$port/" "$work/first" "$work/second"
if [[ -x /usr/bin/firefox-esr ]]; then
  node "$here/browser/same_canvas.mjs" firefox "http://127.0.0.1:$port/" "$work/first" "$work/second"
else
  echo "same_canvas: firefox: not installed, not run"
fi

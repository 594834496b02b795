#!/usr/bin/env bash
# Serves a folder with the page on a free local port with Python's static
# server, at the root or under a subfolder path, and drives the page in a
# headless browser (browser/browser_test.mjs, puppeteer-core installed with
# npm ci from its lock file).
#   browser_check.sh WEB_FOLDER SCREENSHOT [ENGINE [RUNS [PATH]]]
# ENGINE is chromium (Debian's) or firefox (Debian's firefox-esr); RUNS the
# test's runs, comma-separated, or "hostile" for browser/hostile.mjs's
# session (Chromium); PATH, such as /some/where/velmora/, where the folder
# appears on the server.
set -euo pipefail
folder=$(cd "$1" && pwd) screenshot=$2 engine=${3:-chromium} runs=${4:-desktop,scale,phone} path=${5:-/}
here=$(cd "$(dirname "$0")" && pwd)
browser=/usr/bin/chromium
[[ $engine == firefox ]] && browser=/usr/bin/firefox-esr
for tool in node npm python3 "$browser"; do
  command -v "$tool" >/dev/null || { echo "browser_check: SKIPPED: $tool is not installed"; exit 77; }
done
[[ -f $folder/velmora.js && -f $folder/index.html ]] || { echo "browser_check: no web build in $folder"; exit 1; }
(cd "$here/browser" && npm ci --no-audit --no-fund --loglevel=error >/dev/null)
weight=""
for file in index.html velmora.js velmora.wasm; do
  weight+=" $file $(wc -c <"$folder/$file") ($(gzip -9 -c "$folder/$file" | wc -c) gzipped),"
done
echo "browser_check: the page's bytes:${weight%,}"
root=$folder
if [[ $path != / ]]; then
  root=$(mktemp -d)
  mkdir -p "$root$(dirname "${path%/}")"
  ln -s "$folder" "$root${path%/}"
fi
server=""
trap '[[ -z $server ]] || kill $server 2>/dev/null || true; [[ $root == "$folder" ]] || rm -rf "$root"' EXIT
source "$here/serve.sh"
serve_folder "$root" "$path"
if [[ $runs == hostile ]]; then
  # One fixed session, so that the test command gives the same verdict on
  # every run; VELMORA_HOSTILE_SEED plays another (hostile.mjs prints each
  # session's seed).
  node "$here/browser/hostile.mjs" "http://127.0.0.1:$port$path" 60 "${VELMORA_HOSTILE_SEED:-1}"
else
  node "$here/browser/browser_test.mjs" "http://127.0.0.1:$port$path" "$screenshot" "$engine" "$runs"
fi

#!/usr/bin/env bash
# Tests the page's zip as a user gets it: unpacked, its one folder holds
# exactly the page, the program, its licence and a README that says how to
# serve it and why opening the file does not work; the page names nothing
# by an absolute address; and the page runs from the unpacked folder served
# under a subfolder path, in Chromium and in Firefox ESR.
#   zip_check.sh VERSION ZIP
set -euo pipefail
version=$1 zip=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "web zip check: FAILED: $*" >&2; exit 1; }
[[ -f $zip ]] || fail "no zip at $zip"
command -v unzip >/dev/null || fail "unzip is not installed (scripts/deps.sh package lists it)"
unzip -q "$zip" -d "$work"
folder=velmora-$version-web
expected="$folder/LICENSE
$folder/README.txt
$folder/index.html
$folder/velmora.js
$folder/velmora.wasm"
actual=$(cd "$work" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
[[ $actual == "$expected" ]] || fail "the zip holds
$actual
and should hold
$expected"
readme=$work/$folder/README.txt
grep -q "VELMORA $version" "$readme" || fail "README.txt does not name version $version"
grep -qi "static web server" "$readme" || fail "README.txt does not say to serve the folder"
grep -qi "file://" "$readme" || fail "README.txt does not say why opening the file does not work"
# Addresses in the page: relative ones only (a data: icon aside).
if grep -Eo '(src|href)="[^"]*"' "$work/$folder/index.html" | grep -Ev '="(data:|[a-z0-9_.-]+")'; then
  fail "the page names something by an absolute address"
fi
echo "web zip check: $(wc -l <<<"$actual") files as expected, README.txt and the page's addresses as expected"
for engine in chromium firefox; do
  "$here/browser_check.sh" "$work/$folder" "$work/screenshot-$engine.png" "$engine" desktop /some/where/velmora/
done

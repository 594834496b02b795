#!/usr/bin/env bash
# Tests what users install, not what the build left behind:
#   check.sh VERSION DEB ZIP [WINDOWS64_EXE]
# The Debian package is unpacked into a scratch root (dpkg-deb -x; nothing
# is installed into the machine): its files and control fields, lintian
# (no errors) and desktop-file-validate, every shared library the program
# needs provided by a package it depends on, and the unpacked program run
# from another folder on the headless backend for 300 frames and through
# an Escape, exit code 0, writing nothing. The Windows zip is unpacked: its
# files and its version. Then scripts/wine_check.sh runs the two unpacked
# programs, the Linux one on its SDL2 backend and the Windows one under
# Wine, each in a window on Xvfb, and compares their pictures (where this
# machine cannot run the 32-bit Wine, the 64-bit build of the same source,
# WINDOWS64_EXE, stands in for the zip's exe, and the check says so).
set -euo pipefail
version=$1 deb=$2 zip=$3 win64=${4:-}
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
failed=0
trap 'if ((failed)); then echo "package check: kept $work" >&2; else rm -rf "$work"; fi' EXIT
say() { echo "package check: $*"; }
fail() { failed=1; echo "package check: FAILED: $*" >&2; exit 1; }
for tool in dpkg-deb dpkg-query lintian desktop-file-validate unzip readelf ldd; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/deps.sh package lists it)"
done
[[ -f $deb ]] || fail "no Debian package at $deb"
[[ -f $zip ]] || fail "no Windows zip at $zip"

# --- The Debian package ------------------------------------------------------
dpkg-deb -x "$deb" "$work/root"
expected="usr/bin/velmora
usr/share/applications/velmora.desktop
usr/share/doc/velmora/README.md
usr/share/doc/velmora/changelog.gz
usr/share/doc/velmora/copyright
usr/share/man/man6/velmora.6.gz"
actual=$(cd "$work/root" && find . -type f | sed 's|^\./||' | sort)
[[ $actual == "$expected" ]] || fail "the package's files are
$actual
and should be
$expected"
say "files: $(wc -l <<<"$actual") as expected"

field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == velmora ]] || fail "Package is '$(field Package)'"
[[ $(field Version) == "$version" ]] || fail "Version is '$(field Version)', the project's is $version"
[[ $(field Architecture) == "$(dpkg --print-architecture)" ]] || fail "Architecture is '$(field Architecture)'"
[[ $(field Section) == graphics ]] || fail "Section is '$(field Section)'"
[[ -n $(field Maintainer) ]] || fail "no Maintainer"
[[ $(field Description) == *"quadric surface"* ]] || fail "the Description does not say what the program is"
depends=$(field Depends)
say "Depends: $depends"
# Every library the program loads must come from a package it depends on.
depended=$(sed 's/ *([^)]*)//g; s/ *|[^,]*//g; s/, */\n/g' <<<"$depends")
for lib in $(readelf -d "$work/root/usr/bin/velmora" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p'); do
  path=$(ldd "$work/root/usr/bin/velmora" | awk -v l="$lib" '$1 == l { print $3 }')
  [[ -n $path ]] || fail "$lib is not found on this machine"
  owner=$(dpkg-query -S "$(readlink -f "$path")" 2>/dev/null | head -n1 | cut -d: -f1) ||
    owner=$(dpkg-query -S "$path" 2>/dev/null | head -n1 | cut -d: -f1) || true
  [[ -n $owner ]] || fail "no package owns $path ($lib)"
  grep -qxF "$owner" <<<"$depended" || fail "$lib comes from $owner, which the package does not depend on"
done
say "every shared library the program needs comes from a dependency"

lintian_out=$(lintian "$deb" 2>&1 | grep -v 'running with root privileges' || true)
if grep -q '^E:' <<<"$lintian_out"; then fail "lintian reports errors:
$lintian_out"; fi
say "lintian: ${lintian_out:-no errors or warnings}"
desktop-file-validate "$work/root/usr/share/applications/velmora.desktop" 2>&1 | grep -q 'error:' &&
  fail "desktop-file-validate: $(desktop-file-validate "$work/root/usr/share/applications/velmora.desktop" 2>&1)"
say "the desktop entry validates"

# The installed program from another folder, on the headless backend: 300
# frames (a step each), then Escape.
mkdir -p "$work/elsewhere" "$work/home"
status=0
(cd "$work/elsewhere" && HOME="$work/home" VELMORA_BACKEND=headless VELMORA_HEADLESS_ESCAPE_AFTER=300 \
  timeout 60 "$work/root/usr/bin/velmora") >"$work/headless.log" 2>&1 || status=$?
((status == 0)) || fail "the unpacked program ended with exit code $status: $(cat "$work/headless.log")"
written=$(find "$work/elsewhere" "$work/home" -mindepth 1)
[[ -z $written ]] || fail "the program wrote $written"
say "the unpacked program ran 300 frames headless and ended with Escape, exit code 0, writing nothing"

# --- The Windows zip ---------------------------------------------------------
unzip -q "$zip" -d "$work/zip"
folder=velmora-$version-win32
actual=$(cd "$work/zip" && find . -type f | sed 's|^\./||' | sort)
expected="$folder/LICENSE.txt
$folder/README.txt
$folder/VERSION.txt
$folder/velmora.exe"
[[ $actual == "$expected" ]] || fail "the zip's files are
$actual
and should be
$expected"
grep -q "VELMORA $version" "$work/zip/$folder/VERSION.txt" || fail "VERSION.txt does not say $version"
grep -q "Escape" "$work/zip/$folder/README.txt" || fail "README.txt lacks the controls"
say "zip: its four files, version $version"

# --- Both programs in a window ------------------------------------------------
args=(--linux-exe "$work/root/usr/bin/velmora" --windows-exe "$work/zip/$folder/velmora.exe")
[[ -n $win64 ]] && args+=(--windows64-exe "$win64")
status=0
"$root/scripts/wine_check.sh" "${args[@]}" || status=$?
((status == 0 || status == 77)) || fail "the Wine check of the unpacked programs failed"
exit "$status"

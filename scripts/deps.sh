#!/usr/bin/env bash
# Installs the Debian packages that tasks need, if they are missing, with
# one update of the package lists for all of them.
#   deps.sh TASK...
#   deps.sh run     the program alone: the compiler, CMake and SDL2
#   deps.sh xvfb    a virtual X screen (xvfb-run), where there is no display
#   deps.sh build   the Linux build, its tests and benchmarks, and clang-format
#   deps.sh wine    also the Windows cross-build and the Wine check
#   deps.sh package the Debian package and the Windows zip, with the tools
#                   that check them
#   deps.sh web     the browser build (emscripten) and what runs it (node,
#                   Chromium and Firefox ESR)
#   deps.sh perf    perf, which counts frames for scripts/fps_compare.sh
set -euo pipefail
tasks=("${@:-build}")
packages=(cmake g++ make libsdl2-dev)
for what in "${tasks[@]}"; do
case "$what" in
  run) ;;
  xvfb) packages+=(xvfb xauth) ;;
  *) packages+=(libgtest-dev libgmock-dev libbenchmark-dev clang-format) ;;
esac
if [ "$what" = perf ]; then
  packages+=(linux-perf xvfb)
fi
if [ "$what" = web ]; then
  # npm comes with the machine's Node.js (Debian's npm package would
  # conflict with it); the browser test installs its own modules with it.
  packages+=(emscripten nodejs chromium firefox-esr python3)
fi
if [ "$what" = package ]; then
  packages+=(dpkg-dev lintian desktop-file-utils g++-mingw-w64-i686 binutils-mingw-w64-i686 zip unzip)
fi
if [ "$what" = wine ]; then
  packages+=(g++-mingw-w64-i686 binutils-mingw-w64-i686 xvfb xauth openbox xdotool wmctrl x11-utils imagemagick python3 wine wine32:i386)
  # The 64-bit build and wine64, which the Wine check runs where the kernel
  # cannot execute 32-bit programs.
  packages+=(g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64 wine64)
  # The platform's conformance suite for Windows: GoogleTest from Debian's
  # sources, with the posix-threads compilers it needs.
  packages+=(googletest g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
             gcc-mingw-w64-x86-64-posix)
fi
done
sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
((${#missing[@]})) || exit 0

if [[ " ${tasks[*]} " == *" wine "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
# A mirror caught in the middle of a sync fails one index or another for a
# while; the others still arrive, so a failed update is retried and then
# accepted, and the install below says whether what it needs came through.
for attempt in 1 2 3; do
  $sudo apt-get update -qq && break
  echo "deps.sh: apt-get update failed (attempt $attempt of 3)" >&2
  [ "$attempt" = 3 ] || sleep 20
done
install() { DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "$@"; }
if ! install "${missing[@]}"; then
  # The 32-bit Wine depends on i386 libraries that must match the amd64
  # ones to the version; while the i386 index lags they cannot be had. The
  # Wine check then runs the 64-bit build under wine64, as it does on
  # kernels that cannot execute 32-bit programs, and says so.
  rest=()
  for p in "${missing[@]}"; do [ "$p" = wine32:i386 ] || rest+=("$p"); done
  [ "${#rest[@]}" -lt "${#missing[@]}" ] || exit 1
  echo "deps.sh: wine32:i386 cannot be installed now; going on without it" >&2
  ((${#rest[@]} == 0)) || install "${rest[@]}"
fi

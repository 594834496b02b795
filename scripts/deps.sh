#!/usr/bin/env bash
# Installs the Debian packages that a task needs, if they are missing.
#   deps.sh build   the Linux build and its tests
#   deps.sh wine    also the Windows cross-build and the Wine check
set -euo pipefail
what=${1:-build}
packages=(cmake g++ make libgtest-dev libgmock-dev libbenchmark-dev libsdl2-dev)
if [ "$what" = wine ]; then
  packages+=(g++-mingw-w64-i686 binutils-mingw-w64-i686 xvfb xauth openbox xdotool wmctrl x11-utils imagemagick python3 wine wine32:i386)
  # The 64-bit build and wine64, which the Wine check runs where the kernel
  # cannot execute 32-bit programs.
  packages+=(g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64 wine64)
fi
sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if ((${#missing[@]})); then
  if [ "$what" = wine ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
  fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi

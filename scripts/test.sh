#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the normal build
# (with the 32-bit Windows build run under Wine next to it, or the 64-bit
# build of the same source where the kernel cannot execute 32-bit
# programs), then the same suite under AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh wine
jobs=$(nproc)

cmake --preset mingw
cmake --build --preset mingw -j "$jobs"
cmake --preset mingw64
cmake --build --preset mingw64 -j "$jobs"

cmake --preset default -DVELMORA_WINE_CHECK=ON -DVELMORA_WINDOWS_EXE="$PWD/build-mingw/app/velmora.exe" \
  -DVELMORA_WINDOWS64_EXE="$PWD/build-mingw64/app/velmora.exe"
cmake --build --preset default -j "$jobs"
ctest --preset default

cmake --preset sanitize
cmake --build --preset sanitize -j "$jobs"
ctest --preset sanitize

#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the normal build
# (with the 32-bit Windows build run under Wine next to it), then the same
# suite under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh wine
jobs=$(nproc)

cmake --preset mingw
cmake --build --preset mingw -j "$jobs"

cmake --preset default -DVELMORA_WINE_CHECK=ON -DVELMORA_WINDOWS_EXE="$PWD/build-mingw/app/velmora.exe"
cmake --build --preset default -j "$jobs"
ctest --preset default

cmake --preset sanitize
cmake --build --preset sanitize -j "$jobs"
ctest --preset sanitize

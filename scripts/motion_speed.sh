#!/usr/bin/env bash
# How fast the points move: the steps they take per second of the real
# program, over the given seconds, on the Linux build's SDL2 backend and
# as the Windows build under Wine, side by side on one Xvfb display with
# openbox. Both run the program's own objects with a watcher
# (bench/step_probe.cpp); the frame driver steps the points once more than
# 10 ms of GetTickCount have passed, so the rate follows the granularity
# of each platform's tick.
#   scripts/motion_speed.sh [seconds]   (default 10)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/jobs.sh
seconds=${1:-10}
./scripts/deps.sh wine
cmake --preset default >/dev/null
cmake --build --preset default --target velmora_step_probe >/dev/null
source scripts/wine_env.sh
# The 32-bit probe where the 32-bit Wine runs, the 64-bit one elsewhere.
if wine32_runs; then
  preset=mingw-tests arch=win32
else
  preset=mingw64-tests arch=win64
fi
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target velmora_step_probe >/dev/null

work=$(mktemp -d)
pids=()
cleanup() {
  [[ -n ${WINEPREFIX:-} ]] && timeout 20 wineserver -k 2>/dev/null || true
  stop_x_session
  rm -rf "$work"
}
trap cleanup EXIT
source scripts/x_session.sh
fail() { echo "motion_speed: FAILED: $*" >&2; exit 1; }
start_x_session

linux=$(env -u VELMORA_BACKEND SDL_VIDEODRIVER=x11 timeout $((seconds + 60)) build/bench/velmora_step_probe "$seconds" 2>&1 |
  grep -m1 'steps per second') || fail "the Linux probe printed no rate"
use_wine "$arch"
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=d;mshtml=d"
timeout 300 "$wine" wineboot -i >/dev/null 2>&1 || fail "wineboot failed"
windows=$(timeout $((seconds + 60)) "$wine" "build-$preset/velmora_step_probe.exe" "$seconds" 2>&1 |
  tr -d '\r' | grep -m1 'steps per second') || fail "the Windows probe printed no rate"

echo "| build | $seconds s of the real loop |"
echo "|---|---|"
echo "| Linux, SDL2 backend | $linux |"
echo "| Windows ($arch) under $("$wine" --version 2>/dev/null) | $windows |"

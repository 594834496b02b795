#!/usr/bin/env bash
# The long soak: builds the sanitize preset (ASan and UBSan, leak checking
# on) and runs the storm of input through the real program on the headless
# backend for 200000 frames (or the number given), then prints its figures:
# frames, wall time, live allocations at frame 1000 and at the end, finite
# points, guard words and the exit code.
#   scripts/soak.sh [frames]
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/jobs.sh
frames=${1:-200000}
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize --target soak_test >/dev/null
status=0
# A loop that stops answering would otherwise keep the script waiting for
# ever: allow about ten times what a run takes.
limit=$(( frames / 40 + 600 ))
VELMORA_BACKEND=headless VELMORA_SOAK_FRAMES="$frames" \
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  timeout "$limit" ./build-sanitize/tests/soak/soak_test --gtest_filter='Soak.*' --gtest_brief=1 || status=$?
if [ "$status" -eq 0 ]; then
  echo "soak: passed (no sanitizer report, no leak)"
else
  if [ "$status" -eq 124 ]; then
    echo "soak: FAILED: still running after $limit s"
  else
    echo "soak: FAILED with status $status"
  fi
fi
exit "$status"

#!/usr/bin/env bash
# A frame's work in the page against the native frame, side by side on
# this machine: velmora_bench's UpdateFrame (the median of 5 repetitions,
# headless) and the page in headless Chromium as it counts its own frames
# (tests/web/browser/frame_work.mjs, the same starting state), taking turns
# and changing which goes first from round to round. Prints each round's
# ratio and the median with the range; the target is a page frame of at
# most 1.3 native frames.
#   scripts/web_frame.sh [rounds] [seconds]   (default 5 rounds, 5 s in the page)
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-5}
seconds=${2:-5}
for tool in node npm chromium python3; do
  command -v "$tool" >/dev/null || { echo "web_frame: $tool is not installed" >&2; exit 1; }
done
cmake --preset default >/dev/null
cmake --build --preset default --target velmora_bench >/dev/null
cmake --preset web >/dev/null
cmake --build --preset web --target velmora >/dev/null
(cd tests/web/browser && npm ci --no-audit --no-fund --loglevel=error >/dev/null)

server=""
trap '[[ -z $server ]] || kill $server 2>/dev/null || true' EXIT
source tests/web/serve.sh
source scripts/stats.sh
serve_folder build-web

native() {
  ./build/bench/velmora_bench --benchmark_filter='^BM_UpdateFrame$' --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true 2>/dev/null | sed 's/\x1b\[[0-9;]*m//g' |
    awk '/^BM_UpdateFrame_median/ {print $2}'
}
page() { node tests/web/browser/frame_work.mjs "http://127.0.0.1:$port/" "$seconds"; }

ratios=()
echo "$rounds rounds; native: velmora_bench UpdateFrame, median of 5; page: $seconds s of frames in headless Chromium"
for round in $(seq "$rounds"); do
  if (( round % 2 )); then n=$(native); p=$(page); else p=$(page); n=$(native); fi
  read -r _ work _ put _ frames <<<"$p"
  [[ -n $n && -n $work ]] || { echo "web_frame: no figure in round $round" >&2; exit 1; }
  ratio=$(awk -v w="$work" -v n="$n" 'BEGIN {printf "%.3f", w / n}')
  ratios+=("$ratio")
  echo "  round $round: native $n us, page $work us over $frames frames (then putImageData $put us): page / native $ratio"
done
read -r median low high count <<<"$(printf '%s\n' "${ratios[@]}" | spread)"
printf "page / native: median %.3f, range %.3f to %.3f over %d rounds (target at most 1.3)\n" "$median" "$low" "$high" "$count"

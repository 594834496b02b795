#!/usr/bin/env bash
# Frames per second of the program on its SDL2 backend against the SDL2
# floor loop (bench/sdl_floor.cpp: only copies a frame of the same size to
# its window surface, which it sends to the X server at most once per
# display refresh, as the backend does), side by side on a private Xvfb of
# 1280x1024x24. Both run under the same preloaded counter
# (bench/fps_shim.cpp), which counts the frames copied into the window
# surface (not the updates sent to the server) after a warm-up and ends
# the process after the measuring window; the program itself is not
# changed. The runs alternate, and the medians are compared.
#   scripts/fps_compare.sh [rounds] [seconds]   (default 3 rounds of 5 s)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/jobs.sh
rounds=${1:-3}
seconds=${2:-5}
cmake --preset default >/dev/null
cmake --build --preset default --target velmora sdl_floor velmora_fps_shim >/dev/null

shim=$PWD/build/bench/libvelmora_fps_shim.so
logdir=$(mktemp -d)
xvfb_pid=""
cleanup() {
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$logdir"
}
trap cleanup EXIT

# A display of our own: Xvfb picks a free number and writes it to fd 3.
exec 3>"$logdir/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$logdir/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 50); do [ -s "$logdir/display" ] && break; sleep 0.1; done
[ -s "$logdir/display" ] || { echo "Xvfb did not start" >&2; cat "$logdir/xvfb.log" >&2; exit 1; }
display=":$(head -n1 "$logdir/display")"
echo "Xvfb on $display (1280x1024x24), $rounds rounds of $seconds s, 1 s warm-up each"

# Runs one measurement; prints the counter's line.
measure() {
  local label=$1; shift
  local out
  out=$(env -u VELMORA_BACKEND DISPLAY="$display" LD_PRELOAD="$shim" VELMORA_FPS_LABEL="$label" \
        VELMORA_FPS_SECONDS="$seconds" VELMORA_FPS_WARMUP=1 "$@" 2>&1 >/dev/null | grep '^fps: ' | tail -n1)
  [ -n "$out" ] || { echo "no frames counted for $label" >&2; exit 1; }
  echo "$out"
}
rate() { sed -E 's/.* = ([0-9.]+) frames per second/\1/'; }

median() { sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }

floor_runs=(); program_runs=()
for _ in $(seq "$rounds"); do
  line=$(measure sdl_floor ./build/bench/sdl_floor 792 673); echo "  $line"; floor_runs+=("$(rate <<<"$line")")
  line=$(measure velmora ./build/velmora); echo "  $line"; program_runs+=("$(rate <<<"$line")")
done
floor=$(printf '%s\n' "${floor_runs[@]}" | median)
program=$(printf '%s\n' "${program_runs[@]}" | median)
awk -v p="$program" -v f="$floor" 'BEGIN {
  printf "median: velmora %.1f fps, SDL floor %.1f fps; velmora / floor = %.3f (target at least 1.0)\n", p, f, p / f
}'

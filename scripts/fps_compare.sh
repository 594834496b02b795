#!/usr/bin/env bash
# Frames per second of the program on its SDL2 backend against the SDL2
# floor loop (bench/sdl_floor.cpp: the memory traffic no frame can avoid,
# presented as the backend presents, at most once per display refresh),
# side by side on a private Xvfb of 1280x1024x24. Both are counted from
# outside, the same way: a uprobe (perf probe) on the function each calls
# once per frame it presents, the program's PresentFrame and the floor
# loop's PresentFloorFrame, counted by perf stat after a warm-up. These are
# the frames drawn, what the program's own counter counts, not the updates
# sent to the X server, which come at most 60 a second. The program is not
# changed for the measurement. Needs perf (scripts/deps.sh perf) and root,
# for the probes. The runs alternate, and the medians are compared.
#   scripts/fps_compare.sh [rounds] [seconds] [program]
#   (default 3 rounds of 5 s, of build/velmora)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/jobs.sh
. scripts/stats.sh
rounds=${1:-3}
seconds=${2:-5}
program=$(realpath "${3:-build/velmora}")
./scripts/deps.sh build perf
((EUID == 0)) || { echo "fps_compare: the frame counter is a uprobe, which needs root" >&2; exit 1; }
cmake --preset default >/dev/null
cmake --build --preset default --target velmora sdl_floor >/dev/null

logdir=$(mktemp -d)
xvfb_pid=""
program_probes=""
cleanup() {
  [[ -z $program_probes ]] || perf probe -q -d "$program_probes:*" 2>/dev/null || true
  perf probe -q -d 'probe_sdl_floor:*' 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$logdir"
}
trap cleanup EXIT
# perf names a probe's group after the file it is in.
program_probes=probe_$(basename "$program" | tr -c 'A-Za-z0-9_\n' '_')
perf probe -q -x "$program" --add PresentFrame
perf probe -q -x build/bench/sdl_floor --add PresentFloorFrame

# A display of our own: Xvfb picks a free number and writes it to fd 3.
exec 3>"$logdir/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$logdir/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 50); do [ -s "$logdir/display" ] && break; sleep 0.1; done
[ -s "$logdir/display" ] || { echo "Xvfb did not start" >&2; cat "$logdir/xvfb.log" >&2; exit 1; }
display=":$(head -n1 "$logdir/display")"
echo "Xvfb on $display (1280x1024x24), $rounds rounds of $seconds s, 1 s warm-up each"

# Runs one measurement of the program after $2 ($1 is the probe); prints
# the frames per second.
measure() {
  local event=$1 pid count
  shift
  env -u VELMORA_BACKEND DISPLAY="$display" "$@" >/dev/null 2>&1 &
  pid=$!
  sleep 1
  count=$(perf stat -x, -e "$event" -p "$pid" -- sleep "$seconds" 2>&1 | awk -F, -v e="$event" '$3 == e { print $1 }')
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  [[ $count =~ ^[0-9]+$ ]] || { echo "fps_compare: no count for $*" >&2; exit 1; }
  awk -v c="$count" -v s="$seconds" 'BEGIN { printf "%.1f\n", c / s }'
}

floor_runs=(); program_runs=()
for _ in $(seq "$rounds"); do
  fps=$(measure probe_sdl_floor:PresentFloorFrame ./build/bench/sdl_floor 792 673); echo "  SDL floor loop: $fps fps"
  floor_runs+=("$fps")
  fps=$(measure "$program_probes:PresentFrame" "$program"); echo "  velmora: $fps fps"
  program_runs+=("$fps")
done
read -r floor _ <<<"$(printf '%s\n' "${floor_runs[@]}" | spread)"
read -r program_fps _ <<<"$(printf '%s\n' "${program_runs[@]}" | spread)"
awk -v p="$program_fps" -v f="$floor" 'BEGIN {
  printf "median: velmora %.1f fps, SDL floor %.1f fps; velmora / floor = %.3f\n", p, f, p / f
}'

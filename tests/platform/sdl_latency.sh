#!/usr/bin/env bash
# The time from an input to the changed pixels of the program's X window,
# on the SDL2 backend under its own Xvfb with openbox, with real input from
# xdotool and the window read back by sdl_latency_probe (XGetImage):
#   F on the paused picture (the frames-per-second counter at the top left
#     comes or goes);
#   one step of a left drag on the paused picture (the view turns).
# With TRIES it times each TRIES times and prints the median and the worst.
# Without, as the test suite runs it, it checks only that each change
# arrives, within a second, and that no frame is lost at the end: in three
# runs the counter is turned on and shows a value, the picture is paused,
# and then F and Escape are pressed at once. The last frame drawn is the
# one without the counter, which a paced update would still hold back when
# Escape ends the program; the X window must show it (the preloaded
# sdl_last_frame_shim hashes every update sent and the window at the end).
#   tests/platform/sdl_latency.sh PROGRAM PROBE SHIM [TRIES]
# Exit code 77 (skipped) when Xvfb, openbox, xdotool, wmctrl or xwininfo is
# missing.
set -euo pipefail
program=$1 probe=$2 shim=$3 tries=${4:-}
source "$(dirname "$0")/../../scripts/x_session.sh"
source "$(dirname "$0")/../../scripts/stats.sh"
require_tools sdl_latency Xvfb openbox xdotool wmctrl xwininfo
begin_x_check sdl_latency
before_x_stop() {
  xdotool keyup f 2>/dev/null || true
  xdotool mouseup 1 2>/dev/null || true
}
fail() {
  failed=1
  echo "sdl_latency: FAILED: $*" >&2
  exit 1
}
start_x_session
# Under the sanitizers their runtime has to come first among the preloads.
preload=$(ldd "$program" | awk '/libasan/ { printf "%s ", $3 }')$shim

# Starts the program and finds its window; X and Y are its client origin.
start_program() {
  log=$work/program.$1.log
  start_in_window "^VELMORA$" env LD_PRELOAD="$preload" "$program"
  local info
  info=$(timeout 5 xwininfo -id "$window")
  X=$(awk '/Absolute upper-left X:/ { print $4 }' <<<"$info")
  Y=$(awk '/Absolute upper-left Y:/ { print $4 }' <<<"$info")
  sleep 1
}
# try INPUT AFTER PROBE-ARGUMENTS...: one input against a fresh picture,
# and what ends it once the probe is done; prints the milliseconds from the
# input reaching the server to the change. A key stays down until then, so
# that the probe sees it go down.
try() {
  local input=$1 after=$2 result
  shift 2
  sleep 0.3  # the last change has long reached the window
  "$probe" "$window" "$@" >"$work/probe.out" 2>&1 &
  local probe_pid=$!
  wait_for 10 grep -q '^ready' "$work/probe.out" || fail "the probe did not start: $(cat "$work/probe.out")"
  eval "$input"
  wait "$probe_pid" || true
  eval "$after"
  result=$(grep -E '^(latency|no)' "$work/probe.out" || true)
  [[ $result == latency* ]] || fail "$input: the probe found '$result' (no input within 10 s, or no change within a second of it)"
  echo "${result#latency }"
}
# summary NAME FILE: the median and the worst of the figures in FILE.
summary() {
  local median worst count
  read -r median _ worst count <<<"$(spread <"$2")"
  printf "%s: median %.1f ms, worst %.1f ms over %d tries\n" "$1" "$median" "$worst" "$count"
}

start_program latency
xdotool key p  # the paused picture: only the input changes it
runs=${tries:-1}
: >"$work/key" && : >"$work/drag"
for ((i = 0; i < runs; ++i)); do
  try 'xdotool keydown f' 'xdotool keyup f' key f 0 0 200 48 >>"$work/key"
done
xdotool mousemove $((X + 396)) $((Y + 336)) mousedown 1
for ((i = 0; i < runs; ++i)); do
  try "xdotool mousemove $((X + 406 + 10 * i)) $((Y + 336))" : pointer 296 236 200 200 >>"$work/drag"
done
xdotool mouseup 1
if [[ -n $tries ]]; then
  summary "F to the changed window" "$work/key"
  summary "drag step to the changed window" "$work/drag"
else
  say "F and a drag step on the paused picture reach the window ($(cat "$work/key") ms, $(cat "$work/drag") ms)"
fi
xdotool key Escape
wait "$app_pid" || fail "the program's exit code is $?"
[[ -n $tries ]] && exit 0

for run in 1 2 3; do
  start_program end$run
  xdotool key f
  sleep 2.5  # a value on the counter
  xdotool key p
  sleep 0.5  # every frame now the same, and sent
  before=$(grep '^sent ' "$log" | tail -n1)
  xdotool key f Escape
  wait "$app_pid" || fail "the program's exit code is $?"
  grep -q '^last frame: shown' "$log" || fail "run $run: $(grep '^last frame' "$log" || echo 'no last frame')"
  final=$(grep '^last frame: window ' "$log")
  [[ -n $before && ${final##* } != "${before##* }" ]] ||
    fail "run $run: the window ended with the picture from before F and Escape (${before:-nothing sent}): the last frame drawn was lost"
done
say "in three runs ended with Escape the window showed the last frame drawn; passed"

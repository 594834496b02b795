# Sourced by the scripts that need a display of their own (the Wine check,
# the platform's SDL2, latency and conformance checks, the motion and frame
# tables). start_x_session needs $work (a scratch folder), the array pids
# and a function fail of the sourcing script; begin_x_check sets up the
# first two for a check.

# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
  local limit=$1 start=$SECONDS
  shift
  until "$@"; do
    ((SECONDS - start < limit)) || return 1
    sleep 0.2
  done
}

# Starts Xvfb at 1280 by 1024 with openbox as the window manager (without
# one Wine waits two seconds whenever a window is destroyed) and exports
# DISPLAY; both go into pids.
start_x_session() {
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  pids+=($!)
  wait_for 30 test -s "$work/display" || fail "Xvfb did not start (see $work/xvfb.log)"
  export DISPLAY=:$(head -n1 "$work/display")
  unset WAYLAND_DISPLAY
  openbox --sm-disable >"$work/openbox.log" 2>&1 &
  pids+=($!)
  wait_for 30 eval 'timeout 5 wmctrl -m >/dev/null 2>&1' || fail "openbox did not start (see $work/openbox.log)"
  # The pointer rests in the corner, away from the windows under test.
  if command -v xdotool >/dev/null; then timeout 5 xdotool mousemove 1279 1023 || true; fi
}

# For a check named $1: a scratch folder in work (kept when the check sets
# failed), an empty pids, say, and an exit trap that calls the check's
# before_x_stop, where it has one, and ends the X session.
begin_x_check() {
  check_name=$1
  work=$(mktemp -d)
  pids=()
  failed=0
  say() { echo "$check_name: $*"; }
  trap end_x_check EXIT
}
end_x_check() {
  if declare -F before_x_stop >/dev/null; then before_x_stop; fi
  stop_x_session
  if ((failed)); then echo "$check_name: logs kept in $work" >&2; else rm -rf "$work"; fi
}

# Exits with 77, which CTest reports as skipped, when a tool after $1 (the
# calling script's name) is not installed.
require_tools() {
  local name=$1 tool
  shift
  for tool in "$@"; do
    command -v "$tool" >/dev/null && continue
    echo "$name: SKIPPED: $tool is not installed (scripts/deps.sh wine lists it)"
    exit 77
  done
}

# Starts the command after $1 on the SDL2 backend, its output in $log, and
# activates its window, found by the title pattern $1; sets app_pid and
# window.
start_in_window() {
  local title=$1
  shift
  env -u VELMORA_BACKEND SDL_VIDEODRIVER=x11 ASAN_OPTIONS=detect_leaks=0 "$@" >"$log" 2>&1 &
  app_pid=$!
  pids+=($app_pid)
  window=""
  wait_for 20 eval 'window=$(xdotool search --name "$title" 2>/dev/null | head -n1); [[ -n $window ]]' ||
    fail "no window titled '$title'"
  timeout 5 xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
}

# Ends what pids holds, for the sourcing script's exit trap.
stop_x_session() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
}

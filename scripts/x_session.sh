# Sourced by the scripts that need a display of their own (the Wine check,
# the platform's SDL2 and conformance checks, the motion and frame tables).
# Needs $work (a scratch folder), the array pids and a function fail of the
# sourcing script.

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

# Ends what pids holds, for the sourcing script's exit trap.
stop_x_session() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
}

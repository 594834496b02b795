# Sourced by the scripts that need a display of their own: starts Xvfb at
# 1280 by 1024 with openbox as the window manager, exports DISPLAY, and
# stops both when the script exits. Needs $work (a scratch folder), the
# array pids and the functions fail and wait_for of the sourcing script.
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

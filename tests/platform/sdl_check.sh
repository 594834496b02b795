#!/usr/bin/env bash
# The SDL2 backend driven by real X input: platform_sdl_smoke --log on its
# own Xvfb with openbox, and xdotool and wmctrl acting as the user and the
# window manager. Each step checks what the smoke program's window
# procedure logged:
#   a key held down before the window has focus gives no WM_KEYDOWN (as on
#     Windows) until it is released and pressed again;
#   a key press and its auto-repeat, with the repeat bit;
#   a drag with the left button, and the wheel;
#   a resize and a move by the window manager (WM_SIZE, WM_MOVE);
#   a close by the window manager (WM_SYSCOMMAND SC_CLOSE, which
#     DefWindowProcW turns into WM_CLOSE, then WM_QUIT with code 0).
#   tests/platform/sdl_check.sh SMOKE_EXE
# Exit code 77 (skipped) when Xvfb, openbox, xdotool or wmctrl is missing.
set -euo pipefail
smoke=$1
for tool in Xvfb openbox xdotool wmctrl xwininfo; do
  if ! command -v "$tool" >/dev/null; then
    echo "sdl_check: SKIPPED: $tool is not installed (scripts/deps.sh wine lists it)"
    exit 77
  fi
done

work=$(mktemp -d)
pids=()
failed=0
cleanup() {
  xdotool keyup Escape a 2>/dev/null || true
  stop_x_session
  if ((failed)); then echo "sdl_check: logs kept in $work" >&2; else rm -rf "$work"; fi
}
trap cleanup EXIT
source "$(dirname "$0")/../../scripts/x_session.sh"
say() { echo "sdl_check: $*"; }
fail() {
  failed=1
  echo "---- the smoke program's log" >&2
  cat "$work/smoke.log" >&2 || true
  echo "sdl_check: FAILED: $*" >&2
  exit 1
}
logged() { grep -qE "$1" "$work/smoke.log"; }
# X, Y, WIDTH, HEIGHT of the client area, which is the X window itself.
geometry() {
  local info
  info=$(timeout 5 xwininfo -id "$window") || return 1
  X=$(awk '/Absolute upper-left X:/ { print $4 }' <<<"$info")
  Y=$(awk '/Absolute upper-left Y:/ { print $4 }' <<<"$info")
  WIDTH=$(awk '/^  Width:/ { print $2 }' <<<"$info")
  HEIGHT=$(awk '/^  Height:/ { print $2 }' <<<"$info")
}
expect() { wait_for 10 logged "$1" || fail "$2 (no line matching '$1')"; }

start_x_session
say "Xvfb with openbox on $DISPLAY"

# Escape goes down before the program starts and stays down while its
# window appears and takes the focus.
xdotool keydown Escape
env -u VELMORA_BACKEND SDL_VIDEODRIVER=x11 ASAN_OPTIONS=detect_leaks=0 "$smoke" --log >"$work/smoke.log" 2>&1 &
smoke_pid=$!
pids+=($smoke_pid)
window=""
wait_for 20 eval 'window=$(xdotool search --name "VELMORA smoke" 2>/dev/null | head -n1); [[ -n $window ]]' ||
  fail "no window titled 'VELMORA smoke'"
timeout 5 xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
sleep 1
kill -0 "$smoke_pid" 2>/dev/null || fail "the program ended while Escape was held from before its start"
logged 'keydown 0x1b' && fail "a key held before the window had focus arrived as WM_KEYDOWN"
xdotool keyup Escape
expect '^keyup 0x1b' "the release of the held key did not arrive"
say "a key held from before the focus: no WM_KEYDOWN, its release arrives"

xdotool keydown a
sleep 0.8  # longer than the server's auto-repeat delay
xdotool keyup a
expect '^keydown 0x41 repeat 0' "no WM_KEYDOWN for A"
expect '^keydown 0x41 repeat 1' "no auto-repeat of A with the repeat bit"
expect '^keyup 0x41' "no WM_KEYUP for A"
say "a key press with its auto-repeat"

geometry || fail "cannot read the window's geometry"
xdotool mousemove $((X + 100)) $((Y + 100)) mousedown 1 mousemove $((X + 150)) $((Y + 120)) mouseup 1
expect '^ldown 100 100' "no WM_LBUTTONDOWN at (100, 100)"
expect '^move 150 120 flags 0x1' "no WM_MOUSEMOVE with the button down at (150, 120)"
expect '^lup 150 120' "no WM_LBUTTONUP at (150, 120)"
xdotool click 4
expect '^wheel 120 at' "no WM_MOUSEWHEEL of +120 for the wheel turned away"
say "a drag and the wheel"

timeout 10 wmctrl -i -r "$window" -e 0,200,150,640,480
# The client area is the X window itself: the size and place it has now.
wait_for 10 eval 'geometry && ((WIDTH == 640 && HEIGHT == 480))' ||
  fail "the window manager did not resize the window"
expect "^size 0 $WIDTH $HEIGHT\$" "no WM_SIZE of the ${WIDTH} by ${HEIGHT} client area"
expect "^wmmove $X $Y\$" "no WM_MOVE to the client area's new place ($X, $Y)"
say "a resize and a move by the window manager"

timeout 10 wmctrl -i -c "$window"
expect '^syscommand 0xf060' "no WM_SYSCOMMAND SC_CLOSE from the window manager"
expect '^close' "no WM_CLOSE from DefWindowProcW's SC_CLOSE"
grep -A1 '^syscommand 0xf060' "$work/smoke.log" | grep -q '^close' ||
  fail "WM_CLOSE did not follow WM_SYSCOMMAND SC_CLOSE"
expect '^quit 0' "the close did not end the loop with WM_QUIT 0"
wait_for 10 eval '! kill -0 "$smoke_pid" 2>/dev/null' || fail "the program still runs after its window closed"
wait "$smoke_pid" || fail "the program's exit code is $?"
say "a close by the window manager; passed"

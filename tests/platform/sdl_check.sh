#!/usr/bin/env bash
# The SDL2 backend driven by real X input: platform_sdl_smoke --log on its
# own Xvfb with openbox, and xdotool and wmctrl acting as the user and the
# window manager. Each step checks what the smoke program's window
# procedure logged:
#   keys held down before the window has focus (Escape and Shift, and
#     Space in the second run) give no WM_KEYDOWN (as on Windows) until
#     released and pressed again;
#   a key press and its auto-repeat, with the repeat bit, and each key the
#     program reads (1, P, F, Up, Down);
#   a drag with the left button, and the wheel;
#   a resize and a move by the window manager (WM_SIZE, WM_MOVE);
#   a resize while minimised: the restore reports the new size, and the
#     picture drawn for it leaves no row of the client area black;
#   Escape, held at the start and released, ends the program when pressed;
#   in a second run, which draws its picture once and then only waits
#     (--still), the picture back after a minimise and a restore, and,
#     after the held Space, a close by the window manager
#     (WM_SYSCOMMAND SC_CLOSE, which DefWindowProcW turns into WM_CLOSE,
#     then WM_QUIT with code 0).
#   tests/platform/sdl_check.sh SMOKE_EXE
# Exit code 77 (skipped) when Xvfb, openbox, xdotool, wmctrl or import is
# missing.
set -euo pipefail
smoke=$1
source "$(dirname "$0")/../../scripts/x_session.sh"
require_tools sdl_check Xvfb openbox xdotool wmctrl xwininfo import python3

begin_x_check sdl_check
before_x_stop() {
  xdotool keyup Escape shift space a 2>/dev/null || true
}
fail() {
  failed=1
  echo "---- the smoke program's log" >&2
  cat "${log:-/dev/null}" >&2 || true
  echo "sdl_check: FAILED: $*" >&2
  exit 1
}
logged() { grep -qE "$1" "$log"; }
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

# Starts the smoke program ($1 names the log, $2 may be --still) and finds
# its window.
start_smoke() {
  log=$work/$1.log
  start_in_window "VELMORA smoke" "$smoke" --log ${2:-}
}
# The rows of a captured PPM image that are black from end to end.
black_rows() {
  python3 - "$1" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
fields, pos = [], 0
while len(fields) < 4:  # P6, width, height, maximum, each after white space
    while data[pos:pos + 1].isspace(): pos += 1
    end = pos
    while not data[end:end + 1].isspace(): end += 1
    fields.append(data[pos:end]); pos = end
pos += 1
width, height = int(fields[1]), int(fields[2])
row = 3 * width
print(sum(1 for y in range(height) if not any(data[pos + y * row:pos + (y + 1) * row])))
PY
}

# Shift and Escape go down before the program starts and stay down while
# its window appears and takes the focus. X repeats only the key pressed
# last, Escape; SDL takes Shift into its keyboard state when the window
# gains the focus. (Space is held at the start of the second run.)
xdotool keydown shift Escape
start_smoke smoke
sleep 1
kill -0 "$app_pid" 2>/dev/null || fail "the program ended while Escape was held from before its start"
for held in '0x1b Escape' '0x10 Shift'; do
  logged "^keydown ${held% *} " && fail "${held#* }, held before the window had focus, arrived as WM_KEYDOWN"
done
xdotool keyup Escape shift
for held in '0x1b Escape' '0x10 Shift'; do
  expect "^keyup ${held% *}\$" "the release of the held ${held#* } did not arrive"
done
say "keys held from before the focus (Escape, Shift): no WM_KEYDOWN, their releases arrive"
xdotool key shift
expect '^keydown 0x10 repeat 0' "Shift, pressed again after its release, gave no WM_KEYDOWN"

xdotool keydown a
sleep 0.8  # longer than the server's auto-repeat delay
xdotool keyup a
expect '^keydown 0x41 repeat 0' "no WM_KEYDOWN for A"
expect '^keydown 0x41 repeat 1' "no auto-repeat of A with the repeat bit"
expect '^keyup 0x41' "no WM_KEYUP for A"
say "a key press with its auto-repeat"
for key in '1 0x31' 'p 0x50' 'f 0x46' 'Up 0x26' 'Down 0x28'; do
  xdotool key "${key% *}"
  expect "^keydown ${key#* } repeat 0" "no WM_KEYDOWN ${key#* } for ${key% *}"
done
say "the program's keys: 1, P, F, Up, Down"

geometry || fail "cannot read the window's geometry"
xdotool mousemove $((X + 100)) $((Y + 100)) mousedown 1 mousemove $((X + 150)) $((Y + 120)) mouseup 1
expect '^ldown 100 100' "no WM_LBUTTONDOWN at (100, 100)"
expect '^move 150 120 flags 0x1' "no WM_MOUSEMOVE with the button down at (150, 120)"
expect '^lup 150 120' "no WM_LBUTTONUP at (150, 120)"
xdotool click 4
expect '^wheel 120 at' "no WM_MOUSEWHEEL of +120 for the wheel turned away"
xdotool mousemove 1279 1023
say "a drag and the wheel"

timeout 10 wmctrl -i -r "$window" -e 0,200,150,640,480
# The client area is the X window itself: the size and place it has now.
wait_for 10 eval 'geometry && ((WIDTH == 640 && HEIGHT == 480))' ||
  fail "the window manager did not resize the window"
expect "^size 0 $WIDTH $HEIGHT\$" "no WM_SIZE of the ${WIDTH} by ${HEIGHT} client area"
expect "^wmmove $X $Y\$" "no WM_MOVE to the client area's new place ($X, $Y)"
say "a resize and a move by the window manager"

# 600 by 500, minimised, made 300 by 600 while minimised, restored.
timeout 10 wmctrl -i -r "$window" -e 0,100,100,600,500
wait_for 10 eval 'geometry && ((WIDTH == 600 && HEIGHT == 500))' || fail "the window manager did not resize the window"
expect '^size 0 600 500$' "no WM_SIZE of the 600 by 500 client area"
timeout 10 xdotool windowminimize --sync "$window" || fail "xdotool could not minimise the window"
expect '^size 1 0 0$' "no WM_SIZE with SIZE_MINIMIZED"
timeout 10 xdotool windowsize "$window" 300 600
wait_for 10 eval 'geometry && ((WIDTH == 300 && HEIGHT == 600))' || fail "the minimised window was not resized"
sleep 0.5  # the program's chance to take the new size while minimised
timeout 10 xdotool windowactivate --sync "$window" >/dev/null 2>&1 || timeout 10 wmctrl -i -a "$window"
wait_for 10 eval 'geometry && ((WIDTH == 300 && HEIGHT == 600))' || fail "the restored window is not 300 by 600"
wait_for 10 eval '[[ $(grep "^size " "$log" | tail -n1) == "size 0 300 600" ]]' ||
  fail "the restore reported $(grep '^size ' "$log" | tail -n1), not the 300 by 600 client area set while minimised"
black=""
wait_for 10 eval 'timeout 20 import -window "$window" -depth 8 "ppm:$work/restored.ppm" 2>>"$work/import.log" &&
  black=$(black_rows "$work/restored.ppm") && ((black == 0))' ||
  fail "after the restore ${black:-?} rows of the 300 by 600 client area stay black"
say "a resize while minimised: the restore gives WM_SIZE 300 by 600 and the picture fills it"

xdotool key Escape
expect '^quit 3$' "Escape, released after being held at the start, did not end the program when pressed"
wait_for 10 eval '! kill -0 "$app_pid" 2>/dev/null' || fail "the program still runs after Escape"
wait "$app_pid" || fail "the program's exit code is $?"
say "Escape, held at the start and released, ends the program when pressed again"

xdotool keydown space
start_smoke close --still
sleep 1
logged '^keydown 0x20 ' && fail "Space, held before the window had focus, arrived as WM_KEYDOWN"
xdotool keyup space
expect '^keyup 0x20$' "the release of the held Space did not arrive"
xdotool key space
expect '^keydown 0x20 repeat 0' "Space, pressed again after its release, gave no WM_KEYDOWN"
say "Space held from before the focus: no WM_KEYDOWN, its release arrives, and it works again"

# This run drew its picture once. A minimise and a restore take the
# window's pixels from the X server; the backend still holds the last
# frame, as a compositor holds a window's surface, and shows it again
# without the program drawing anything.
timeout 10 xdotool windowminimize --sync "$window" || fail "xdotool could not minimise the window"
expect '^size 1 0 0$' "no WM_SIZE with SIZE_MINIMIZED"
timeout 10 xdotool windowactivate --sync "$window" >/dev/null 2>&1 || timeout 10 wmctrl -i -a "$window"
black=""
wait_for 10 eval 'timeout 20 import -window "$window" -depth 8 "ppm:$work/still.ppm" 2>>"$work/import.log" &&
  black=$(black_rows "$work/still.ppm") && ((black == 0))' ||
  fail "after a restore ${black:-?} rows of a picture drawn once before stay black"
say "a picture drawn once comes back after a minimise and a restore, with nothing drawn again"
timeout 10 wmctrl -i -c "$window"
expect '^syscommand 0xf060' "no WM_SYSCOMMAND SC_CLOSE from the window manager"
expect '^close' "no WM_CLOSE from DefWindowProcW's SC_CLOSE"
grep -A1 '^syscommand 0xf060' "$log" | grep -q '^close' ||
  fail "WM_CLOSE did not follow WM_SYSCOMMAND SC_CLOSE"
expect '^quit 0' "the close did not end the loop with WM_QUIT 0"
wait_for 10 eval '! kill -0 "$app_pid" 2>/dev/null' || fail "the program still runs after its window closed"
wait "$app_pid" || fail "the program's exit code is $?"
say "a close by the window manager; passed"

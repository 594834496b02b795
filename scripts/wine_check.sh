#!/usr/bin/env bash
# Runs the 32-bit Windows build of VELMORA under Wine and the Linux build
# under its SDL2 backend on one virtual X display (Xvfb with openbox), drives
# both with the keyboard, captures their client areas and checks what they
# show: the scene, the help text and its key, the pause key, the frame
# counter, and both ways of quitting with exit code 0. Then it compares the
# two builds pixel for pixel where their frames must agree, and checks the
# Windows executable's imports and its one resource, the manifest.
#
#   scripts/wine_check.sh [--windows-exe PATH] [--windows64-exe PATH] [--linux-exe PATH]
#   scripts/wine_check.sh WINDOWS_EXE LINUX_EXE
#
# An executable not given is built with its preset (mingw, default).
# Wine runs a 32-bit executable with a 32-bit loader, which a kernel built
# without 32-bit x86 support cannot start; there the file checks are made
# on the 32-bit executable and the runs use the 64-bit build of the same
# source (--windows64-exe, preset mingw64) under wine64, or, without one,
# the check reports itself skipped (exit code 77).
# VELMORA_WINE_KEEP=1 keeps the captures and logs of a passing run too.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/jobs.sh"

root=$(cd "$(dirname "$0")/.." && pwd)
tool="$root/tests/wine/frame_check.py"
objdump=i686-w64-mingw32-objdump

win_exe=""
win64_exe=""
linux_exe=""
positional=()
while (($#)); do
  case "$1" in
    --windows-exe) win_exe=$2; shift 2 ;;
    --windows64-exe) win64_exe=$2; shift 2 ;;
    --linux-exe) linux_exe=$2; shift 2 ;;
    -h|--help) sed -n '2,19p' "$0"; exit 0 ;;
    *) positional+=("$1"); shift ;;
  esac
done
if ((${#positional[@]} == 2)); then
  win_exe=${positional[0]}
  linux_exe=${positional[1]}
elif ((${#positional[@]})); then
  echo "usage: $0 [--windows-exe PATH] [--windows64-exe PATH] [--linux-exe PATH] | WINDOWS_EXE LINUX_EXE" >&2
  exit 2
fi

say() { echo "wine_check: $*"; }
fail() {
  echo "wine_check: FAILED: $*" >&2
  failed=1
  exit 1
}

for tool_name in Xvfb openbox wine wineserver xdotool wmctrl xwininfo import python3 "$objdump"; do
  command -v "$tool_name" >/dev/null || fail "$tool_name is not installed (scripts/deps.sh lists the packages)"
done

# --- Builds ---------------------------------------------------------------
if [[ -z $win_exe ]]; then
  say "building the Windows executable (preset mingw)"
  (cd "$root" && cmake --preset mingw >/dev/null && cmake --build --preset mingw) ||
    fail "the Windows build failed"
  win_exe=$root/build-mingw/velmora.exe
fi
if [[ -z $linux_exe ]]; then
  say "building the Linux executable (preset default)"
  (cd "$root" && cmake --preset default >/dev/null && cmake --build --preset default --target velmora) ||
    fail "the Linux build failed"
  linux_exe=$root/build/velmora
fi
[[ -f $win_exe ]] || fail "no Windows executable at $win_exe"
[[ -x $linux_exe ]] || fail "no Linux executable at $linux_exe"
win_exe=$(cd "$(dirname "$win_exe")" && pwd)/$(basename "$win_exe")
linux_exe=$(cd "$(dirname "$linux_exe")" && pwd)/$(basename "$linux_exe")

# --- The Windows executable as a file --------------------------------------
# check_imports OBJDUMP EXE MAGIC WHAT: the PE kind, the GUI subsystem, and
# imports from the system's USER32, GDI32, KERNEL32 and C runtime alone.
check_imports() {
  local objdump_tool=$1 exe=$2 magic=$3 what=$4 headers dll
  say "checking $exe"
  headers=$("$objdump_tool" -p "$exe") || fail "$objdump_tool cannot read $exe"
  grep -q "^Magic[[:space:]]*$magic" <<<"$headers" || fail "$exe is not a $what executable"
  grep -q '^Subsystem[[:space:]]*00000002' <<<"$headers" || fail "$exe is not a GUI-subsystem executable"
  mapfile -t dlls < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
  say "  imports: ${dlls[*]}"
  for dll in "${dlls[@]}"; do
    case "${dll,,}" in
      user32.dll|gdi32.dll|kernel32.dll|msvcrt.dll|ucrtbase.dll|api-ms-win-crt-*.dll) ;;
      *) fail "$exe imports from $dll, beyond the system's USER32, GDI32, KERNEL32 and C runtime" ;;
    esac
  done
  for dll in user32.dll gdi32.dll kernel32.dll; do
    printf '%s\n' "${dlls[@],,}" | grep -qx "$dll" || fail "$exe does not import from $dll"
  done
}
check_imports "$objdump" "$win_exe" 010b "32-bit (PE32)"
python3 "$tool" resources "$win_exe" || fail "the resources are not the manifest alone"

# --- Which Wine runs it ----------------------------------------------------
# Wine runs a 32-bit executable with a 32-bit loader of its own. Some
# kernels are built without 32-bit x86 support (virtual machines often
# are); there that loader cannot start. The runs then use the 64-bit build
# of the same source under wine64 if there is one, so the program is still
# driven through Wine's USER32 and GDI32; without one they cannot happen,
# which is the machine's limit, not the program's, and the check reports
# itself skipped (exit code 77) rather than passed or failed.
source "$root/scripts/wine_env.sh"
use_wine win32
run_exe=$win_exe
no32=""
if [[ ! -x /usr/lib/wine/wine ]]; then
  # Debian's wine32 brings the 32-bit loader; scripts/deps.sh goes on
  # without it while the mirror's i386 packages cannot be had.
  no32="the 32-bit Wine (wine32) is not installed"
elif ! loader_out=$(WINEDEBUG=-all wine --version 2>&1); then
  grep -q 'Exec format error' <<<"$loader_out" || fail "wine does not start: $loader_out"
  no32="this kernel cannot execute 32-bit x86 programs (wine --version: ${loader_out//$'\n'/ })"
fi
if [[ -n $no32 ]]; then
  say "$no32"
  wine64=/usr/lib/wine/wine64
  if [[ -z $win64_exe || ! -x $wine64 ]]; then
    say "SKIPPED the runs under Wine: no 64-bit build (--windows64-exe) or no wine64 to run instead"
    exit 77
  fi
  [[ -f $win64_exe ]] || fail "no 64-bit Windows executable at $win64_exe"
  command -v x86_64-w64-mingw32-objdump >/dev/null ||
    fail "x86_64-w64-mingw32-objdump is not installed (scripts/deps.sh lists the packages)"
  run_exe=$(cd "$(dirname "$win64_exe")" && pwd)/$(basename "$win64_exe")
  check_imports x86_64-w64-mingw32-objdump "$run_exe" 020b "64-bit (PE32+)"
  say "the runs use the 64-bit build of the same source under wine64 instead"
  use_wine win64
  loader_out=$(WINEDEBUG=-all "$wine" --version 2>&1) || fail "wine64 does not start: $loader_out"
fi
say "$loader_out"

# --- Display, window manager, Wine prefix ----------------------------------
work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-wine.XXXXXX")
failed=1
pids=()
cleanup() {
  if [[ -n ${app_pid:-} ]]; then
    kill "$app_pid" 2>/dev/null || true
  fi
  if [[ -d $work/prefix ]]; then
    WINEPREFIX=$work/prefix timeout 30 wineserver -k 2>/dev/null || true
    rm -rf "$work/prefix"
  fi
  stop_x_session
  if ((failed)) || [[ ${VELMORA_WINE_KEEP:-0} != 0 ]]; then
    echo "wine_check: captures and logs kept in $work" >&2
  else
    rm -rf "$work"
  fi
}
trap cleanup EXIT
source "$root/scripts/x_session.sh"

# openbox also gives both builds ordinary managed windows.
start_x_session
say "Xvfb on $DISPLAY"

export WINEPREFIX=$work/prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=d;mshtml=d"
say "creating a Wine prefix"
timeout 300 "$wine" wineboot -i >"$work/wineboot.log" 2>&1 || fail "wineboot failed (see $work/wineboot.log)"
# A crash ends the program with a backtrace in its log instead of a dialog
# that would keep it alive.
timeout 60 "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
  >>"$work/wineboot.log" 2>&1 || fail "cannot configure the Wine prefix (see $work/wineboot.log)"

# --- Driving one run of a build --------------------------------------------
app_pid=""
app_log=""

# start_app KIND LOG: KIND is windows or linux.
start_app() {
  app_log=$2
  if [[ $1 == windows ]]; then
    (cd "$work" && exec "$wine" "$run_exe") >"$app_log" 2>&1 &
  else
    (cd "$work" && exec env -u VELMORA_BACKEND SDL_VIDEODRIVER=x11 "$linux_exe") >"$app_log" 2>&1 &
  fi
  app_pid=$!
}

# The program's main window: title VELMORA, not the console that the
# Windows build opens under the same title.
main_window() {
  timeout 10 wmctrl -lx | awk 'NF == 5 && $5 == "VELMORA" && $3 !~ /^conhost\.exe/ { print $1; exit }'
}

app_failed() {
  echo "---- last lines of $app_log" >&2
  tail -n 30 "$app_log" >&2 || true
  fail "$*"
}

# Finds the main window within $1 seconds and prepares it for capturing:
# its client area must be 792 by 673, the console is moved off it, the
# pointer is parked outside, and it gets the keyboard focus.
find_window() {
  local limit=$1 geometry console
  window=""
  wait_for "$limit" eval 'window=$(main_window); [[ -n $window ]] || ! kill -0 "$app_pid" 2>/dev/null' || true
  kill -0 "$app_pid" 2>/dev/null || app_failed "the program ended before its window appeared"
  [[ -n $window ]] || app_failed "no window titled VELMORA within $limit s"
  geometry=$(timeout 10 xwininfo -id "$window") || app_failed "cannot read the geometry of window $window"
  client_width=$(awk '/^  Width:/ { print $2 }' <<<"$geometry")
  client_height=$(awk '/^  Height:/ { print $2 }' <<<"$geometry")
  [[ $client_width == 792 && $client_height == 673 ]] ||
    app_failed "client area is ${client_width}x${client_height}, expected 792x673"
  for console in $(timeout 10 wmctrl -lx | awk '$3 ~ /^conhost\.exe/ { print $1 }'); do
    timeout 10 wmctrl -i -r "$console" -e 0,870,600,-1,-1 || true
  done
  timeout 10 xdotool mousemove 1279 1023 || true
  focus
}

focus() {
  timeout 10 wmctrl -i -a "$window" || true
  timeout 5 xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
  sleep 0.3
}

press() {
  focus
  timeout 10 xdotool key "$1" || app_failed "cannot send key $1"
  sleep 0.7
}

capture() {
  kill -0 "$app_pid" 2>/dev/null || app_failed "the program ended unasked"
  timeout 20 import -window "$window" -depth 8 "ppm:$1" 2>>"$work/import.log" ||
    app_failed "cannot capture window $window"
}

# Waits up to $1 seconds for the program to end and checks its exit code.
expect_exit() {
  local limit=$1 how=$2 code=0
  wait_for "$limit" eval '! kill -0 "$app_pid" 2>/dev/null' || app_failed "still running $limit s after $how"
  wait "$app_pid" || code=$?
  app_pid=""
  say "  exit code after $how: $code"
  ((code == 0)) || app_failed "exit code $code after $how, expected 0"
}

frames_differing() {
  python3 "$tool" diff "$1" "$2" || app_failed "cannot compare $1 with $2"
}

# exercise KIND LABEL WAIT: both runs of one build.
exercise() {
  local kind=$1 label=$2 limit=$3 dir="$work/$2" changed
  mkdir -p "$dir"
  say "$label: first run"
  start_app "$kind" "$dir/run1.log"
  find_window "$limit"
  say "  window $window, client area ${client_width}x${client_height}"
  sleep 3
  capture "$dir/start.ppm"
  python3 "$tool" scene "$dir/start.ppm" on off || app_failed "$label: the first frames are wrong"
  sleep 1
  capture "$dir/moving.ppm"
  changed=$(frames_differing "$dir/start.ppm" "$dir/moving.ppm")
  say "  pixels changed in 1 s with motion on: $changed"
  ((changed > 0)) || app_failed "$label: the picture does not move"

  press 1
  capture "$dir/nohelp.ppm"
  python3 "$tool" scene "$dir/nohelp.ppm" off off || app_failed "$label: key 1 did not hide the help text"

  press p
  capture "$dir/paused1.ppm"
  sleep 1
  capture "$dir/paused2.ppm"
  changed=$(frames_differing "$dir/paused1.ppm" "$dir/paused2.ppm")
  say "  pixels changed in 1 s with motion paused: $changed"
  ((changed == 0)) || app_failed "$label: key P did not freeze the picture"
  cp "$dir/paused2.ppm" "$work/$label.compare.ppm"

  press p
  capture "$dir/resumed1.ppm"
  sleep 1
  capture "$dir/resumed2.ppm"
  changed=$(frames_differing "$dir/resumed1.ppm" "$dir/resumed2.ppm")
  say "  pixels changed in 1 s after P again: $changed"
  ((changed > 0)) || app_failed "$label: a second P did not resume the motion"

  press f
  capture "$dir/fps.ppm"
  python3 "$tool" scene "$dir/fps.ppm" off on || app_failed "$label: key F did not show the frame counter"

  focus
  timeout 10 xdotool key Escape || app_failed "cannot send Escape"
  expect_exit 30 "Escape"

  say "$label: second run"
  start_app "$kind" "$dir/run2.log"
  find_window "$limit"
  sleep 2
  timeout 10 wmctrl -i -c "$window" || app_failed "cannot close window $window"
  expect_exit 30 "closing the window"
}

exercise windows windows 120
exercise linux linux 60

say "comparing the builds (view untouched, help text hidden, motion paused)"
python3 "$tool" compare "$work/windows.compare.ppm" "$work/linux.compare.ppm" ||
  fail "the Windows and the Linux frames differ"

failed=0
say "passed"

#!/usr/bin/env bash
# The choice of backend at start, in the real program: a name the build
# does not have, a headless control that is not a number of polls, and
# (with the SDL2 backend) no display each stop it with exit code 1 and say
# why on standard error; a good choice runs. The program chooses in a
# static initializer, before WinMain, so each case is a process of its own.
#   tests/platform/backend_choice.sh VELMORA_EXE [sdl]
set -uo pipefail
exe=$1
sdl=${2:-}
failed=0
err=$(mktemp)
trap 'rm -f "$err"' EXIT

# check NAME EXPECTED_CODE STDERR_REGEX ENV...: runs the program under ENV
# (env's arguments: -u options first; after dropping what the test
# environment sets) and compares; an empty regex wants nothing on standard
# error.
check() {
  local name=$1 code=$2 pattern=$3
  shift 3
  timeout 60 env -u VELMORA_BACKEND -u VELMORA_HEADLESS_ESCAPE_AFTER "$@" ASAN_OPTIONS=detect_leaks=0 \
    "$exe" >/dev/null 2>"$err"
  local got=$?
  local matched=1
  if [[ -z $pattern ]]; then [[ -s $err ]] && matched=0; else grep -Eq -- "$pattern" "$err" || matched=0; fi
  if ((got != code || !matched)); then
    echo "backend_choice: FAILED: $name: exit code $got (want $code), standard error:" >&2
    sed 's/^/  | /' "$err" >&2
    echo "  wanted a line matching: $pattern" >&2
    failed=1
  else
    echo "backend_choice: $name"
  fi
}
# The whole of standard error is the one line.
one_line() {
  [[ $(wc -l <"$err") -eq 1 ]] || { echo "backend_choice: FAILED: $1: not one line" >&2; failed=1; }
}

check "an unknown name lists the backends" 1 \
  '^VELMORA_BACKEND=bogus: no such backend in this build \(it has: ([a-z_]+, )*headless(, [a-z_]+)*\)$' \
  VELMORA_BACKEND=bogus
one_line "an unknown name"

check "headless by name, ended by Escape after 40 polls" 0 '' \
  VELMORA_BACKEND=headless VELMORA_HEADLESS_ESCAPE_AFTER=40

for value in abc -5 0 12x ' 7' 99999999999999999999999; do
  check "VELMORA_HEADLESS_ESCAPE_AFTER='$value' is refused" 1 \
    "^VELMORA_HEADLESS_ESCAPE_AFTER=$value: not a number of polls \\(a whole number from 1 up\\)\$" \
    VELMORA_BACKEND=headless VELMORA_HEADLESS_ESCAPE_AFTER="$value"
  one_line "VELMORA_HEADLESS_ESCAPE_AFTER='$value'"
done

if [[ $sdl == sdl ]]; then
  # SDL2 by default, without a display: no window, and the display tried.
  check "no display: DISPLAY unset" 1 '^no display: DISPLAY is not set' \
    -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER
  check "no display: DISPLAY=:12345" 1 '^no display: cannot open DISPLAY=:12345' \
    -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER DISPLAY=:12345
fi
exit $failed

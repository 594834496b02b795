#!/usr/bin/env bash
# Runs the platform's conformance suite on a real display, each test in a
# process of its own, and reports every test as passed, failed, or a known
# gap that failed as expected (with the reason conformance.h gives; a known
# gap that passes fails):
#   run_conformance.sh sdl EXE           the stand-in on its SDL2 backend,
#                                        on Xvfb with openbox
#   run_conformance.sh wine EXE32 EXE64  the suite built for Windows, under
#                                        Wine on Xvfb with openbox: the
#                                        32-bit build, or the 64-bit one
#                                        under wine64 where the 32-bit Wine
#                                        cannot run
# Exit code 77 (skipped) when what it needs is not there.
set -euo pipefail
mode=$1
shift
skip() { echo "conformance ($mode): SKIPPED: $*"; exit 77; }
for tool in Xvfb openbox wmctrl; do command -v "$tool" >/dev/null || skip "$tool is not installed"; done

source "$(dirname "$0")/../../scripts/x_session.sh"
source "$(dirname "$0")/../../scripts/wine_env.sh"
begin_x_check "conformance ($mode)"
before_x_stop() {
  if [[ $mode == wine && -n ${WINEPREFIX:-} ]]; then timeout 20 wineserver -k 2>/dev/null || true; fi
}
fail() {
  failed=1
  echo "conformance ($mode): FAILED: $*" >&2
  exit 1
}

run=()
case $mode in
  sdl)
    exe=$1
    run=(env -u VELMORA_BACKEND SDL_VIDEODRIVER=x11 ASAN_OPTIONS=detect_leaks=0 "$exe")
    ;;
  wine)
    exe32=${1:-}
    exe64=${2:-}
    command -v wine >/dev/null || skip "Wine is not installed"
    use_wine win32
    exe=$exe32
    if [[ -z $exe32 ]] || ! wine32_runs; then
      [[ -n $exe64 && -x /usr/lib/wine/wine64 ]] || skip "neither the 32-bit Wine nor a 64-bit build with wine64"
      say "the 32-bit Wine cannot run here; the 64-bit build under wine64 instead"
      use_wine win64
      exe=$exe64
    fi
    [[ -f $exe ]] || fail "no test program at $exe"
    export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=d;mshtml=d"
    run=("$wine" "$exe")
    ;;
  *)
    echo "usage: $0 sdl EXE | wine EXE32 EXE64" >&2
    exit 2
    ;;
esac

start_x_session
if [[ $mode == wine ]]; then
  timeout 300 "$wine" wineboot -i >"$work/wineboot.log" 2>&1 || fail "wineboot failed (see $work/wineboot.log)"
  say "$("$wine" --version 2>/dev/null), $(basename "$exe")"
fi

# Test names, Suite.Name, from gtest's listing (Wine's output ends lines
# with CR LF).
tests=()
suite=""
while IFS= read -r line; do
  line=${line%$'\r'}
  if [[ $line =~ ^([A-Za-z0-9_]+)\.$ ]]; then
    suite=${BASH_REMATCH[1]}
  elif [[ $line =~ ^\ \ ([A-Za-z0-9_]+) ]]; then
    tests+=("$suite.${BASH_REMATCH[1]}")
  fi
done < <(timeout 120 "${run[@]}" --gtest_list_tests 2>/dev/null)
((${#tests[@]})) || fail "the test program lists no tests"

passed=0
known=()
failures=()
for t in "${tests[@]}"; do
  log="$work/$t.log"
  status=0
  timeout 120 "${run[@]}" --gtest_filter="$t" >"$log" 2>&1 || status=$?
  # A program that printed nothing never started (a Wine server that was
  # just shutting down refuses it now and then): once more, then it counts.
  if ((status != 0)) && ! grep -q 'Running main' "$log"; then
    say "$t did not start (exit code $status); once more"
    status=0
    timeout 120 "${run[@]}" --gtest_filter="$t" >"$log" 2>&1 || status=$?
  fi
  if ((status == 0)) && grep -q '\[  PASSED  \] 1 test' "$log"; then
    passed=$((passed + 1))
    if grep -q '^\[  KNOWN   \]' "$log"; then
      known+=("$t: $(tr -d '\r' <"$log" | grep -m1 '^\[  KNOWN   \]' | sed 's/^\[  KNOWN   \] //')")
    fi
  else
    failures+=("$t")
  fi
done

say "${#tests[@]} tests: $passed passed (${#known[@]} of them known gaps, failing as expected), ${#failures[@]} failed"
for k in "${known[@]}"; do say "  known gap $k"; done
for t in "${failures[@]}"; do
  echo "---- $t" >&2
  tr -d '\r' <"$work/$t.log" | grep -v '^\[' >&2 || true
done
((${#failures[@]} == 0)) || fail "${failures[*]}"

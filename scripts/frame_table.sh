#!/usr/bin/env bash
# One table of the frame against the memory floor, taking turns, for every
# build of the program on one Xvfb display with openbox: the Linux build on
# its SDL2 backend and on the headless one (no window system at all), the
# 32-bit Windows build under Wine (where the 32-bit Wine runs) and the
# 64-bit one under wine64, each with the help text on and off, over the
# given number of runs (bench/frame_turns.cpp); then each Windows build's
# frame against the Linux build's on the headless backend, the same work
# without a window system, and beside it against the Linux build on SDL2,
# in a real X window.
#   scripts/frame_table.sh [runs]   (default 3)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/jobs.sh
runs=${1:-3}
./scripts/deps.sh wine
for preset in default mingw mingw64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target velmora_frame_turns >/dev/null
done

work=$(mktemp -d)
pids=()
cleanup() {
  local prefix
  for prefix in "$work"/prefix-*; do
    [[ -d $prefix ]] && WINEPREFIX=$prefix timeout 20 wineserver -k 2>/dev/null || true
  done
  stop_x_session
  rm -rf "$work"
}
trap cleanup EXIT
source scripts/x_session.sh
source scripts/wine_env.sh
fail() { echo "frame_table: FAILED: $*" >&2; exit 1; }
start_x_session
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=d;mshtml=d"

builds=("linux" "headless")
wine32_runs && builds+=("win32")
[[ -x /usr/lib/wine/wine64 ]] && builds+=("win64")
# Each Windows build in a prefix of its own kind; the subshells keep the
# two kinds' settings apart.
for build in "${builds[@]}"; do
  [[ $build == win* ]] || continue
  (use_wine "$build" && WINEPREFIX=$work/prefix-$build timeout 300 "$wine" wineboot -i >/dev/null 2>&1)
done

run() {  # build help-or-nohelp
  case $1 in
    linux) env -u VELMORA_BACKEND SDL_VIDEODRIVER=x11 timeout 300 build/bench/velmora_frame_turns "$2" ;;
    headless) VELMORA_BACKEND=headless timeout 300 build/bench/velmora_frame_turns "$2" ;;
    win32) (use_wine win32 && WINEPREFIX=$work/prefix-win32 timeout 300 "$wine" build-mingw/velmora_frame_turns.exe "$2") ;;
    win64) (use_wine win64 && WINEPREFIX=$work/prefix-win64 timeout 300 "$wine" build-mingw64/velmora_frame_turns.exe "$2") ;;
  esac 2>/dev/null | tr -d '\r' | grep -m1 '^frame_turns:'
}
# The builds take turns within each run, so that they meet the same
# machine.
for ((r = 1; r <= runs; ++r)); do
  for help in nohelp help; do
    for build in "${builds[@]}"; do
      run "$build" "$help" >>"$work/$build.$help" || fail "no figures from $build ($help)"
    done
  done
done

python3 - "$work" "${builds[@]}" <<'PY'
import re, statistics, sys
work, builds = sys.argv[1], sys.argv[2:]
names = {"linux": "Linux (SDL2 backend)", "headless": "Linux (headless backend)", "win32": "Windows i686 under Wine", "win64": "Windows x86-64 under wine64"}
print("| build | help text | vector version | frame (us) | floor (us) | frame / floor (range) |")
print("|---|---|---|---:|---:|---|")
for help in ("nohelp", "help"):
    for b in builds:
        lines = open(f"{work}/{b}.{help}").read().splitlines()
        f = [re.search(r"frame ([\d.]+) us, floor ([\d.]+) us, frame / floor ([\d.]+)", l).groups() for l in lines]
        version = re.search(r", (help text \w+), ([^:]+):", lines[0]).group(2)
        frame = statistics.median(float(x[0]) for x in f)
        floor = statistics.median(float(x[1]) for x in f)
        ratios = [float(x[2]) for x in f]
        print(f"| {names[b]} | {'on' if help == 'help' else 'off'} | {version} | {frame:.1f} | {floor:.1f} | "
              f"{statistics.median(ratios):.3f} ({min(ratios):.3f} to {max(ratios):.3f}) |")

# Each Windows build's frame against the Linux build's frames of the same
# run, which met the same machine minutes apart at most.
def frames(b, help):
    return [float(re.search(r"frame ([\d.]+) us", l).group(1)) for l in open(f"{work}/{b}.{help}").read().splitlines()]
def against(b, linux, help):
    ratios = [w / l for w, l in zip(frames(b, help), frames(linux, help))]
    return f"{statistics.median(ratios):.3f} ({min(ratios):.3f} to {max(ratios):.3f})"
windows = [b for b in builds if b.startswith("win")]
if windows and "headless" in builds:
    print()
    print("| build | help text | frame / Linux headless frame (range) | frame / Linux SDL2 frame, in an X window (range) |")
    print("|---|---|---|---|")
    for help in ("nohelp", "help"):
        for b in windows:
            print(f"| {names[b]} | {'on' if help == 'help' else 'off'} | {against(b, 'headless', help)} | "
                  f"{against(b, 'linux', help)} |")
PY

#!/usr/bin/env bash
# Processor time of the program at the link's full rate on the virtual
# instrument, in a 1920 x 1200 window under Xvfb.
#   scripts/measure-cpu.sh [PATH_TO_TOVAN1] [SECONDS] [SCREENSHOT]
# Runs at 10 us/div with 1000 points (frames as fast as the link carries
# them) and the sampling row shown (FPS and Lost), waits for the first
# frames, then reads utime + stime of the program and of the X server from
# /proc over SECONDS (default 10). SCREENSHOT (optional) keeps a picture of
# the screen at the end, to read FPS and Lost from.
set -euo pipefail
cd "$(dirname "$0")/.."
exe=${1:-build/release/src/tovan1}
secs=${2:-10}
shot=${3:-}
work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
  if [ -n "$app_pid" ]; then kill "$app_pid" 2>/dev/null || true; wait "$app_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1920x1200x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
until [ -s "$work/display" ]; do sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$work/run"

printf '[Common]\nRussian=0\nSmpl_Info=1\nSmpl_N_1000=1\n[Scope]\n10uS=1\n' > "$work/tovan1.ini"
"$exe" --demo --ini "$work/tovan1.ini" >"$work/app.log" 2>&1 &
app_pid=$!
win=""
until [ -n "$win" ]; do
  kill -0 "$app_pid" || { cat "$work/app.log"; exit 1; }
  win=$(timeout 5 xdotool search --sync --onlyvisible --name 'tovan1' 2>/dev/null | head -1 || true)
done
xdotool windowmove --sync "$win" 0 0 windowsize --sync "$win" 1920 1200
xdotool windowfocus --sync "$win" 2>/dev/null || true
xdotool key --window "$win" space   # RUN
sleep 3                             # FPGA load, configuration, first frames

echo "program pid $app_pid, X server pid $xvfb_pid"
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)
a0=$(ticks "$app_pid"); x0=$(ticks "$xvfb_pid"); t0=$(date +%s.%N)
sleep "$secs"
a1=$(ticks "$app_pid"); x1=$(ticks "$xvfb_pid"); t1=$(date +%s.%N)
[ -n "$shot" ] && import -window root "$shot"
eval "$(xdotool getwindowgeometry --shell "$win")"
awk -v a=$((a1 - a0)) -v x=$((x1 - x0)) -v hz="$hz" -v t0="$t0" -v t1="$t1" -v w="$WIDTH" -v h="$HEIGHT" \
  'BEGIN { d = t1 - t0; printf "window %dx%d, %.1f s: program %.1f %% of a core, X server %.1f %%\n", w, h, d, 100 * a / hz / d, 100 * x / hz / d }'

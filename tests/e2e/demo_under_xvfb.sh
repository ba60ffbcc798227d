#!/usr/bin/env bash
# End-to-end: the program started with --demo under a real X server
# (Xvfb) shows a moving trace once Space is pressed.
#   demo_under_xvfb.sh PATH_TO_TOVAN1 [SCREENSHOT_DIR]
set -euo pipefail
exe=$1
shots=${2:-}
work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
  local rc=$?
  if [ -n "$app_pid" ]; then kill "$app_pid" 2>/dev/null || true; wait "$app_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
  exit "$rc"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$work/run"

printf '[Common]\nRussian=0\n' > "$work/tovan1.ini"
"$exe" --demo --ini "$work/tovan1.ini" >"$work/app.log" 2>&1 &
app_pid=$!

win=""
for _ in $(seq 600); do
  win=$(xdotool search --onlyvisible --name 'tovan1' 2>/dev/null | head -1 || true)
  [ -n "$win" ] && break
  sleep 0.1
done
[ -n "$win" ] || { echo "no window"; cat "$work/app.log"; exit 1; }
sleep 1
eval "$(xdotool getwindowgeometry --shell "$win")"  # X, Y, WIDTH, HEIGHT

# Green (signal colour) pixels inside the plot, away from the text rows.
green() {
  convert "$1" -crop 470x220+$((X + 45))+$((Y + 80)) +repage \
    -fill black +opaque 'rgb(0,255,0)' -fill white -opaque 'rgb(0,255,0)' \
    -format '%[fx:int(mean*w*h+0.5)]' info:
}
shot() { import -window root "$1"; }

shot "$work/idle.png"
idle=$(green "$work/idle.png")

# The generator on (its output is looped back to the input), then Space.
xdotool mousemove --sync $((X + 524)) $((Y + 422)) click 1
xdotool windowfocus --sync "$win" 2>/dev/null || true
xdotool key --window "$win" space
# The first frames follow the FPGA load and the configuration; a loaded
# machine or a sanitizer build takes a while.
run1=0
for _ in $(seq 60); do
  sleep 0.5
  shot "$work/run1.png"
  run1=$(green "$work/run1.png")
  [ "$run1" -gt 300 ] && break
done
sleep 0.7
shot "$work/run2.png"
run2=$(green "$work/run2.png")
moved=$(compare -metric AE -crop 470x220+$((X + 45))+$((Y + 80)) "$work/run1.png" "$work/run2.png" null: 2>&1 || true)
if [ -n "$shots" ]; then mkdir -p "$shots"; cp "$work"/*.png "$shots/"; fi

echo "signal pixels: idle $idle, running $run1 / $run2; changed pixels $moved"
[ "$idle" -lt 50 ] || { echo "FAIL: a trace before RUN"; exit 1; }
[ "$run1" -gt 300 ] && [ "$run2" -gt 300 ] || { echo "FAIL: no trace after Space"; exit 1; }
[ "${moved%% *}" -gt 100 ] 2>/dev/null || { echo "FAIL: the trace does not move"; exit 1; }
echo "1 passed, 0 failed"

#!/usr/bin/env bash
# End-to-end: the program started with --demo under a real X server
# (Xvfb) shows a moving trace once Space is pressed.
#   demo_under_xvfb.sh PATH_TO_TOVAN1 [SCREENSHOT_DIR]
#
# Every wait is for something to happen (the display number, the window,
# the trace, a changed picture), never for a fixed time; the test's own
# time-out (CTest's, or E2E_TIMEOUT seconds) bounds them all, and the test
# fails at once, with the program's output, when the program ends early.
set -euo pipefail
exe=$1
shots=${2:-}
limit=${E2E_TIMEOUT:-900}
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

fail() {
  echo "FAIL: $*"
  echo "--- program output"
  cat "$work/app.log" 2>/dev/null || true
  exit 1
}
# Called between polls: the program must still be running, and the whole
# test within its limit.
alive() {
  if [ -n "$app_pid" ] && ! kill -0 "$app_pid" 2>/dev/null; then
    wait "$app_pid" && rc=0 || rc=$?
    app_pid=""
    fail "the program ended early (status $rc)"
  fi
  [ "$SECONDS" -lt "$limit" ] || fail "$1 (gave up after $limit s)"
}

# Xvfb writes its display number once it accepts connections.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
until [ -s "$work/display" ]; do
  kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb did not start"
  alive "no X server"
  sleep 0.1
done
export DISPLAY=":$(cat "$work/display")"
export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$work/run"

printf '[Common]\nRussian=0\n' > "$work/tovan1.ini"
"$exe" --demo --ini "$work/tovan1.ini" >"$work/app.log" 2>&1 &
app_pid=$!

# The window: xdotool waits until a visible window of that name is mapped.
win=""
until [ -n "$win" ]; do
  alive "no window"
  win=$(timeout 5 xdotool search --sync --onlyvisible --name 'tovan1' 2>/dev/null | head -1 || true)
done
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
[ "$idle" -lt 50 ] || fail "a trace before RUN ($idle signal pixels)"

# The generator on (its output is looped back to the input), then Space.
xdotool mousemove --sync $((X + 524)) $((Y + 422)) click 1
xdotool windowfocus --sync "$win" 2>/dev/null || true
xdotool key --window "$win" space

# The first frames follow the FPGA load and the configuration; a loaded
# machine or a sanitizer build takes a while.
run1=0
until [ "$run1" -gt 300 ]; do
  alive "no trace after Space (last count $run1)"
  sleep 0.2
  shot "$work/run1.png"
  run1=$(green "$work/run1.png")
done

# The trace moves: a later picture differs from the first one.
moved=0
until [ "${moved%% *}" -gt 100 ] 2>/dev/null; do
  alive "the trace does not move"
  sleep 0.2
  shot "$work/run2.png"
  moved=$(compare -metric AE -crop 470x220+$((X + 45))+$((Y + 80)) "$work/run1.png" "$work/run2.png" null: 2>&1 || true)
done
run2=$(green "$work/run2.png")
if [ -n "$shots" ]; then mkdir -p "$shots"; cp "$work"/*.png "$shots/"; fi

echo "signal pixels: idle $idle, running $run1 / $run2; changed pixels $moved"
[ "$run2" -gt 300 ] || fail "the trace went away ($run2 signal pixels)"
echo "1 passed, 0 failed"

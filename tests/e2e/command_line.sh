#!/usr/bin/env bash
# The program's command line and its life as a process: --help and
# --version without a display, exit status 2 for a bad command line, exit
# status 1 without a display, the messages of a second start, and a clean
# end on SIGTERM, SIGINT and SIGHUP (settings written, lock released).
#   command_line.sh PATH_TO_TOVAN1
set -uo pipefail
exe=$1
name=$(basename "$exe")
name=${name%.*}
work=$(mktemp -d)
run="$work/run"  # the private runtime folder: lock and socket live here
mkdir -m 700 "$run"
sock="$run/${name}_Mutex_951413"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill -KILL "$p" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

passed=0
failed=0
pass() { passed=$((passed + 1)); echo "ok   $1"; }
fail() { failed=$((failed + 1)); echo "FAIL $1"; shift; for f in "$@"; do echo "---- $f"; cat "$f"; done; }

# Runs the program without any display and with English messages.
headless() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM LC_ALL=C XDG_RUNTIME_DIR="$run" "$exe" "$@"; }
# Runs it on the offscreen platform.
offscreen() { env -u DISPLAY -u WAYLAND_DISPLAY LC_ALL=C QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$run" "$exe" "$@"; }

# check NAME EXPECTED_STATUS STREAM(out|err) TEXT COMMAND...
check() {
  local what=$1 want=$2 stream=$3 text=$4
  shift 4
  "$@" >"$work/out" 2>"$work/err"
  local rc=$?
  if [ "$rc" -ne "$want" ]; then fail "$what: status $rc, expected $want" "$work/out" "$work/err"; return; fi
  if ! grep -qF -- "$text" "$work/$stream"; then fail "$what: no \"$text\" on std$stream" "$work/out" "$work/err"; return; fi
  pass "$what"
}

# Waits (served by the polling of a condition, never a fixed pause) until
# COMMAND succeeds while PID lives; false when the process ended first.
wait_until() {
  local pid=$1
  shift
  until "$@"; do
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.05
  done
}

# --- Before any window ------------------------------------------------------
for opt in --demo "--ini PATH" "--fpga-image PATH" --help --version FILE; do
  check "--help lists $opt without a display" 0 out "$opt" headless --help
done
check "--version without a display" 0 out "$name 1.62" headless --version
check "--version wins over a file" 0 out "1.62" headless x.tvd --version
check "unknown option" 2 err "unknown option --bogus" headless --bogus
check "unknown short option" 2 err "unknown option -x" headless -x
check "option argument missing" 2 err "missing path after option --ini" headless --demo --ini
check "fpga image argument missing" 2 err "missing path after option --fpga-image" headless --fpga-image
check "bad command line names --help" 2 err "--help" headless --bogus
check "no display" 1 err "no display" headless --demo
check "no display, no lock taken" 1 err "no display" headless
[ ! -e "$sock.lock" ] && pass "no lock left by a start without display" || fail "lock left by a start without display"
check "a file after -- is not an option" 1 err "no display" headless -- --bogus

# --- A running instance -----------------------------------------------------
# start_first LOG ENV... -- ARGS...: starts the first instance in the
# background and waits until it listens for hand-offs.
start_first() {
  local log=$1
  shift
  local envs=()
  while [ "$1" != "--" ]; do envs+=("$1"); shift; done
  shift
  env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$run" "${envs[@]}" \
    "$exe" --demo "$@" >"$log" 2>&1 &
  first=$!
  pids+=("$first")
  wait_until "$first" test -S "$sock"
}

# stop_first SIGNAL NAME: sends the signal and checks a clean end.
stop_first() {
  local sig=$1 what=$2
  kill -s "$sig" "$first"
  wait "$first"
  local rc=$?
  [ "$rc" -eq 0 ] && pass "$what: SIG$sig ends with status 0" || fail "$what: SIG$sig ended with status $rc" "$work/first.log"
  [ ! -e "$sock.lock" ] && pass "$what: lock released" || fail "$what: lock still there"
}

ini1="$work/one/tovan1.ini"
mkdir -p "$work/one"
if start_first "$work/first.log" LC_ALL=C -- --ini "$ini1"; then
  pass "first instance up"
else
  fail "first instance did not come up" "$work/first.log"
fi
check "second start hands its file over" 0 err "handed over to the running instance: $work/a.tvd" \
  offscreen "$work/a.tvd"
check "second start without a file" 0 err "handed over to the running instance" offscreen
check "second start: --ini not handed over" 0 err "cannot be handed over to it and has no effect (close it first to start with the option): --ini" \
  offscreen --ini "$work/other.ini" "$work/b.tvd"
grep -qF "handed over to the running instance: $work/b.tvd" "$work/err" && pass "  ... and the file still is" \
  || fail "file with --ini not handed over" "$work/err"
check "second start: --demo not handed over" 0 err "has no effect (close it first to start with the option): --demo" \
  offscreen --demo
check "second start: --fpga-image not handed over" 0 err ": --fpga-image" \
  offscreen --fpga-image "$work/f.bin"
# The running instance holds the lock but its socket is gone.
mv "$sock" "$sock.away"
check "running instance unreachable" 1 err "could not be reached" offscreen "$work/c.tvd"
mv "$sock.away" "$sock"
stop_first TERM "first instance"
if [ -s "$ini1" ] && grep -q '^Russian=0' "$ini1"; then pass "settings written on SIGTERM, English from the C locale"
else fail "settings not written on SIGTERM (or not English)" "$work/first.log"; fi

# The lock was released: the next start is a first instance again. A
# first start in a Russian locale is in Russian.
ini2="$work/two/tovan1.ini"
mkdir -p "$work/two"
if start_first "$work/first.log" LC_ALL=ru_RU.UTF-8 -- --ini "$ini2"; then
  pass "next start is the first instance again"
else
  fail "next start did not become the first instance" "$work/first.log"
fi
stop_first INT "after restart"
if grep -q '^Russian=1' "$ini2"; then pass "settings written on SIGINT, Russian from the ru_RU locale"
else fail "settings not written on SIGINT (or not Russian)" "$work/first.log"; fi

# An existing settings file decides the language, whatever the locale.
if start_first "$work/first.log" LC_ALL=ru_RU.UTF-8 -- --ini "$ini1"; then pass "started on an existing file"
else fail "start on an existing file" "$work/first.log"; fi
stop_first HUP "existing file"
grep -q '^Russian=0' "$ini1" && pass "the file's language kept" || fail "the file's language lost" "$ini1"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

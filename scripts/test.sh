#!/usr/bin/env bash
# The project's test command: sets up, builds and runs every test.
#   1. release build: all unit, GUI and end-to-end tests
#   2. ASan+UBSan build: the same tests
#   3. TSan build: the same tests
#   4. libFuzzer targets, each for a bounded time, under ASan+UBSan
# FUZZ_SECONDS (default 30) bounds each fuzz run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
fuzz_seconds=${FUZZ_SECONDS:-30}
total=0
skipped=0
fuzzed=0

for flavour in release asan tsan; do
  echo "=== $flavour: build"
  scripts/build.sh "$flavour"
  echo "=== $flavour: test"
  if [ "$flavour" = tsan ]; then
    export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tests/tsan.supp"
  fi
  ctest --test-dir "build/$flavour" --output-on-failure -j "$(nproc)" | tee "build/$flavour/ctest.log"
  ran=$(sed -n 's/.* tests failed out of \([0-9][0-9]*\).*/\1/p' "build/$flavour/ctest.log" | tail -1)
  skip=$(grep -c '(Skipped)' "build/$flavour/ctest.log" || true)
  total=$((total + ${ran:-0} - skip))
  skipped=$((skipped + skip))
done

echo "=== fuzz: build"
scripts/build.sh fuzz
for f in build/fuzz/fuzz/*_fuzz; do
  [ -x "$f" ] || continue
  name=$(basename "$f")
  corpus="build/fuzz/corpus/$name"
  mkdir -p "$corpus"
  seeds="fuzz/seeds/$name"
  echo "=== fuzz: $name for ${fuzz_seconds}s"
  if [ -d "$seeds" ]; then
    "$f" -max_total_time="$fuzz_seconds" -seed=1 -print_final_stats=1 "$corpus" "$seeds"
  else
    "$f" -max_total_time="$fuzz_seconds" -seed=1 -print_final_stats=1 "$corpus"
  fi
  fuzzed=$((fuzzed + 1))
done
echo "=== all tests passed ($fuzzed fuzz targets without a finding)"
echo "Tests: $total passed, 0 failed, $skipped skipped"

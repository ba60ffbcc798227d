#!/usr/bin/env bash
# Configures and builds one flavour into build/<name>.
#   scripts/build.sh [release|asan|tsan|fuzz] [targets...]
set -euo pipefail
cd "$(dirname "$0")/.."
flavour=${1:-release}; shift || true
jobs=${JOBS:-$(nproc)}
case "$flavour" in
  release) args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
  asan)    args=(-DCMAKE_BUILD_TYPE=Debug -DTOVAN_SANITIZE=address -DTOVAN_BUILD_BENCH=OFF) ;;
  tsan)    args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOVAN_SANITIZE=thread -DTOVAN_BUILD_BENCH=OFF) ;;
  fuzz)    args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOVAN_SANITIZE=address -DTOVAN_BUILD_FUZZ=ON
                 -DTOVAN_BUILD_GUI=OFF -DTOVAN_BUILD_BENCH=OFF
                 -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++) ;;
  *) echo "unknown flavour $flavour" >&2; exit 2 ;;
esac
cmake -S . -B "build/$flavour" -G Ninja "${args[@]}" >/dev/null
if [ $# -gt 0 ]; then
  cmake --build "build/$flavour" -j "$jobs" --target "$@"
else
  cmake --build "build/$flavour" -j "$jobs"
fi

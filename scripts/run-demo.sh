#!/usr/bin/env bash
# Sets up, builds and starts the application on the virtual instrument.
# Extra arguments go to the program (e.g. a .tvs or data file to open).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
JOBS=${JOBS:-$(nproc)} scripts/build.sh release tovan1
exec build/release/src/tovan1 --demo "$@"

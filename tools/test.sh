#!/usr/bin/env bash
# Builds everything and runs every test: the platform-free code natively with
# sanitizers, then the Windows binaries under Wine on a private X display.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh

cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native

cmake --preset windows >/dev/null
cmake --build --preset windows

source tools/wine-bench.sh
trap bench_stop EXIT
# Tests always run on a private display, never on the user's.
QB_FORCE_XVFB=1 bench_start build/windows
ctest --preset windows

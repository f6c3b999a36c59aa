#!/usr/bin/env bash
# Builds the suite and runs the host under Wine showing a page (chime unless
# another module is named). On the user's display it runs until closed; with
# no display it runs on a private Xvfb, saves a screenshot of the host with
# the page in it as build/windows/screenshot.png, and stops.
#   tools/run.sh [module]
set -euo pipefail
cd "$(dirname "$0")/.."
module=${1:-chime}

tools/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows

source tools/wine-bench.sh
trap bench_stop EXIT
bench_start build/windows

cd build/windows/bin
if [ -z "$bench_started_xvfb" ]; then
  wine qubrix.exe "$module"
else
  wine qubrix.exe "$module" &
  host=$!
  for i in $(seq 1 40); do
    sleep 0.5
    # The host is up once its page shows.
    if xwininfo -root -tree 2>/dev/null | grep -q '"Qubrix"'; then break; fi
  done
  sleep 2
  import -window root ../screenshot.png
  echo "run: screenshot saved to build/windows/screenshot.png"
  kill "$host" 2>/dev/null || true
  wait "$host" 2>/dev/null || true
fi

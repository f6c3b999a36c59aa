#!/usr/bin/env bash
# JPEG decode time of a 4000 x 3000 photo-like picture, with libjpeg-turbo's
# SIMD code and without it (JSIMD_FORCENONE=1), in one run.
# Usage: toolkit/pictures/tests/bench_jpeg.sh [build/windows]
set -euo pipefail
build=$(cd "${1:-build/windows}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
cmake --build "$build" --target bench_jpeg >/dev/null
samples="$build/bin/tk_pictures_samples"
[ -f "$samples/photo4000x3000.jpg" ] || /usr/bin/python3 "$here/make_samples.py" "$samples" --bench
source "$here/../../../tools/wine-bench.sh"
trap bench_stop EXIT
bench_start "$build" >/dev/null
photo=$(winepath -w "$samples/photo4000x3000.jpg")
wine "$build/bin/bench_jpeg.exe" "$photo" 5
JSIMD_FORCENONE=1 wine "$build/bin/bench_jpeg.exe" "$photo" 5

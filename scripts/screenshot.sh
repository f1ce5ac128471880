#!/usr/bin/env bash
# Looks at the real window without a person in front of it: builds the
# program, lays a copy of its folder out with a generated catalogue of
# 1,000 movies (posters included) that opens at start, runs it under a
# virtual display and saves a picture of the window.
#
#   scripts/screenshot.sh [out.png] [movies]
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-screenshot.png}
count=${2:-1000}
build=${VIDRENA_BUILD:-build-release}  # another build folder: VIDRENA_BUILD=build
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVIDRENA_BENCH=OFF >/dev/null
cmake --build "$build" -j4 --target vidrena vidrena_samplecat >/dev/null
folder=$(mktemp -d /tmp/vidrena-shot-XXXXXX)
trap 'rm -rf "$folder"' EXIT
cp -r "$build/Vidrena/." "$folder/"
QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 "$build/tools/vidrena_samplecat" "$folder" "$count"
case "$out" in /*) ;; *) out="$PWD/$out" ;; esac
xvfb-run -a -s "-screen 0 1280x800x24" "$folder/vidrena" --screenshot "$out"
echo "$out"

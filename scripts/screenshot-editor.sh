#!/usr/bin/env bash
# Looks at the movie editor without a person in front of it: runs the window
# tests that fill the editor, its file dialog and its portal tab (a portal
# page served from 127.0.0.1) under a virtual display, and keeps their
# pictures: editor.png, file-dialog.png, editor-web.png.
#
#   scripts/screenshot-editor.sh [out-folder]
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-screenshots}
build=${VIDRENA_BUILD:-build}  # another build folder: VIDRENA_BUILD=build-release
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVIDRENA_BENCH=OFF >/dev/null
cmake --build "$build" -j4 --target tests_app tests_web >/dev/null
mkdir -p "$out"
case "$out" in /*) ;; *) out="$PWD/$out" ;; esac
shoot() {
  xvfb-run -a -s "-screen 0 1280x800x24" env QT_QPA_PLATFORM=xcb VIDRENA_SHOT_DIR="$out" \
    ASAN_OPTIONS=detect_leaks=0 "$@" >/dev/null
}
shoot "$build/tests/tests_app" --gtest_filter='EditorTest.FilledWindowsRenderWhole'
shoot "$build/tests/tests_web" --gtest_filter='EditorWebTest.WebTabRendersThePortalPage'
ls "$out"/editor.png "$out"/file-dialog.png "$out"/editor-web.png

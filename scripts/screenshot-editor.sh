#!/usr/bin/env bash
# Looks at the movie editor as a user sees it: the program with a generated
# catalogue on a virtual X display with a window manager (openbox), the
# editor opened on the current movie ("수정") and then its file dialog
# ("파일추가"), pictures of the whole screen:
#
#   editor.png  editor-files.png
#
# and, from the window tests that fill the editor with three probed files
# and a poster and serve a portal page from 127.0.0.1, the pictures the
# program renders of those windows: rendered/editor.png,
# rendered/file-dialog.png, rendered/editor-web.png.
#
#   scripts/screenshot-editor.sh [out-folder] [screen]
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-screenshots}
screen=${2:-1920x1080}
build=${VIDRENA_BUILD:-build}  # another build folder: VIDRENA_BUILD=build-release
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVIDRENA_BENCH=OFF >/dev/null
cmake --build "$build" -j4 --target vidrena vidrena_samplecat tests_app tests_web >/dev/null
mkdir -p "$out"
case "$out" in /*) ;; *) out="$PWD/$out" ;; esac
. scripts/xdisplay.sh
xdisplay_sample "$build" 200
xdisplay_start "$screen"
xdisplay_shoot editor.png 7 --click 수정
xdisplay_shoot editor-files.png 9 --click 수정 --click 파일추가

# The window tests' own pictures, on the same display.
mkdir -p "$out/rendered"
tests() {
  QT_QPA_PLATFORM=xcb VIDRENA_SHOT_DIR="$out/rendered" ASAN_OPTIONS=detect_leaks=0 "$@" >/dev/null
}
tests "$build/tests/tests_app" --gtest_filter='EditorTest.FilledWindowsRenderWhole'
tests "$build/tests/tests_web" --gtest_filter='EditorWebTest.WebTabRendersThePortalPage'
ls "$out"/rendered/editor.png "$out"/rendered/file-dialog.png "$out"/rendered/editor-web.png

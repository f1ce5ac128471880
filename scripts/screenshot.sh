#!/usr/bin/env bash
# Looks at the program as a user sees it, without a person in front of it:
# builds it, lays a copy of its folder out with a generated catalogue of
# 2,000 movies (posters included) that opens at start, runs it on a virtual
# X display of 1920x1080 with a window manager (openbox) and takes pictures
# of the whole screen, frames and dialogs included:
#
#   main.png         the catalogue window
#   main-small.png   the same window at the smallest size it allows
#   statistics.png   settings.png   export.png   posters.png
#   open-dialog.png  the file dialog of "불러오기"
#
#   scripts/screenshot.sh [out-folder] [movies] [screen]
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-screenshots}
count=${2:-2000}
screen=${3:-1920x1080}
build=${VIDRENA_BUILD:-build-release}  # another build folder: VIDRENA_BUILD=build
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVIDRENA_BENCH=OFF >/dev/null
cmake --build "$build" -j4 --target vidrena vidrena_samplecat >/dev/null
mkdir -p "$out"
case "$out" in /*) ;; *) out="$PWD/$out" ;; esac
. scripts/xdisplay.sh
xdisplay_sample "$build" "$count"
xdisplay_start "$screen"

xdisplay_shoot main.png 4
xdisplay_shoot main-small.png 6 --size 100x100
xdisplay_shoot statistics.png 7 --click 통계보기
xdisplay_shoot settings.png 7 --click 설정
xdisplay_shoot export.png 7 --click 내보내기
xdisplay_shoot posters.png 7 --click 포스터관리
xdisplay_shoot open-dialog.png 7 --click 불러오기

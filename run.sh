#!/usr/bin/env bash
# Installs what is missing, builds a Release and starts the program.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DVIDRENA_BENCH=OFF >/dev/null
cmake --build build-release -j"$(nproc)" --target vidrena
# The program keeps its files beside itself: it runs from the laid-out folder.
exec build-release/Vidrena/vidrena "$@"

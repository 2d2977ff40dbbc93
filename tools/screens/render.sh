#!/usr/bin/env bash
# Regenerates the review pictures in docs/screens from the painted artwork.
#   tools/screens/render.sh [build folder]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target kelani_gfx kelani-screens
ASAN_OPTIONS=detect_leaks=0 "$build/tools/kelani-screens" "$build/bin" "$build/pictures" docs/screens
echo "review pictures written to docs/screens"

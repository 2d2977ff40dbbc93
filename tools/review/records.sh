#!/usr/bin/env bash
# Renders the highscore and history printouts into docs/screens/ for review.
# Usage: tools/review/records.sh [build folder, default build-test]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build-test}
out=docs/screens
mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 KELANI_REVIEW_DIR="$tmp" \
  "$build/tests/test_recordwindows" --gtest_filter='*Print*' >/dev/null
for pdf in "$tmp"/*.pdf; do
  name=$(basename "$pdf" .pdf)
  pdftoppm -r 60 -png "$pdf" "$out/$name"
done
ls "$out"

#!/usr/bin/env bash
# Renders the main window as it opens into a PNG, without a display.
#   scripts/render-window.sh OUTPUT.png      (BUILD_DIR picks the build folder, default build-ui)
set -euo pipefail

if [[ $# -ne 1 ]]; then
  echo "usage: $0 OUTPUT.png" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-ui}
output=$(realpath -m "$1")

if [[ ! -f "$build/CMakeCache.txt" ]]; then
  cmake -S "$root" -B "$build" -DREPLACE_BUILD_BENCH=OFF
fi
cmake --build "$build" -j"${JOBS:-2}" --target render_window
QT_QPA_PLATFORM=offscreen "$build/tests/ui/qt/render_window" "$output"
echo "$output"

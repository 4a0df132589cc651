#!/usr/bin/env bash
# Installs what is missing, builds the program and opens its window.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" run
cmake -S "$root" -B "$root/build/release" -DCMAKE_BUILD_TYPE=Release \
  -DREPLACE_BUILD_TESTS=OFF -DREPLACE_BUILD_BENCH=OFF
cmake --build "$root/build/release" -j"${JOBS:-2}" --target segment-replace
exec "$root/build/release/app/segment-replace" "$@"

#!/usr/bin/env bash
# Installs what is missing, builds the window and the command line, and opens the window.
# With REPLACE_BUILD_ONLY=1 it stops after the build (what `cmake --install` then installs).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" run
cmake --preset release -S "$root" >/dev/null
cmake --build "$root/build/release" -j"${JOBS:-2}"
[ "${REPLACE_BUILD_ONLY:-0}" = 1 ] && exit 0
exec "$root/build/release/app/segment-replace" "$@"

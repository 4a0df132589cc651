#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the whole suite in a plain build and
# again under AddressSanitizer and UndefinedBehaviorSanitizer, the fuzz targets for a bounded
# time, the Windows programs built and checked (static, under 3 MB, version and manifest), the
# README's run build installed into a throwaway prefix and started from there, the Debian
# package and the Windows zip made and checked, and the engine's, the
# selection's, the window logic's and the Win32 window's tests built for 64-bit Windows and run
# under Wine.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" test

export QT_QPA_PLATFORM=offscreen
jobs=${JOBS:-2}

run_suite() {  # preset
  cmake --preset "$1" -S "$root" >/dev/null
  cmake --build "$root/build/$1" -j"$jobs"
  ctest --test-dir "$root/build/$1" --output-on-failure -j"$jobs"
}

echo "== Plain build"
run_suite test

echo "== AddressSanitizer and UndefinedBehaviorSanitizer"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  LSAN_OPTIONS=suppressions="$root/tests/lsan.supp" \
  run_suite sanitize

echo "== Fuzzing the rewrite and the line reading"
"$root/scripts/fuzz.sh" "${FUZZ_SECONDS:-20}"

echo "== The Windows programs"
"$root/scripts/build-windows.sh"

echo "== The README's run build, installed into a throwaway prefix, and the packages"
"$root/scripts/install-check.sh"

echo "== The tests built for Windows, under Wine"
"$root/scripts/windows-tests.sh"

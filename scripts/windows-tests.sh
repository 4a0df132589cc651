#!/usr/bin/env bash
# Cross-compiles the engine and its tests for 64-bit Windows with MinGW-w64 and runs them under
# Wine. Installs the Debian packages it needs when they are missing.
# Usage: scripts/windows-tests.sh [GoogleTest arguments, e.g. --gtest_filter=Windows*]
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-win"

missing=()
command -v x86_64-w64-mingw32-g++-posix >/dev/null || missing+=(g++-mingw-w64-x86-64)
dpkg -s wine64 >/dev/null 2>&1 || missing+=(wine64)
[ -f /usr/src/googletest/CMakeLists.txt ] || missing+=(googletest)
command -v cmake >/dev/null || missing+=(cmake)
if [ "${#missing[@]}" -gt 0 ]; then
    echo "windows-tests.sh: installing ${missing[*]}" >&2
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
fi

# The loader is not on the PATH.
wine_files="$(dpkg -L wine64)"
wine="$(grep -m1 '/wine64$' <<<"$wine_files")"
wineserver="$(dirname "$wine")/wineserver"

cmake -S "$root/cmake/windows-tests" -B "$build" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DREPLACE_SOURCE_DIR="$root" >/dev/null
cmake --build "$build" -j2 --target engine_tests segment-replace-cli

# A throwaway prefix, no display, no prompts for Mono or Gecko, no debug chatter.
export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$WINEPREFIX"
[ -d "$WINEPREFIX/dosdevices" ] || "$wine" cmd.exe /c exit 0

# Drive R: for the tests that need a drive root they may write to.
drive="$build/drive-r"
rm -rf "$drive"
mkdir -p "$drive"
ln -sfn "$drive" "$WINEPREFIX/dosdevices/r:"
export REPLACE_TEST_DRIVE=R:

status=0
"$wine" "$build/engine_tests.exe" --gtest_color=no "$@" || status=$?

# The command line: its version, and one small run whose output is compared byte for byte.
cli_run="$build/cli-run"
rm -rf "$cli_run"
mkdir -p "$cli_run"
printf 'x <a b> <A B>\r\n' >"$cli_run/page.htm"
if ! "$wine" "$build/cli/segment-replace-cli.exe" --version ||
    ! (cd "$cli_run" && "$wine" "$build/cli/segment-replace-cli.exe" --start '<a' --stop '>' \
        --search b --replace i page.htm) ||
    ! cmp "$cli_run/page_new.htm" <(printf 'x <a i> <A i>\r\n'); then
    echo "windows-tests.sh: segment-replace-cli.exe failed under Wine" >&2
    status=1
fi
# Let the wine server of this prefix shut down before returning.
"$wineserver" -w || true
if [ "$status" -ne 0 ]; then
    echo "windows-tests.sh: engine tests failed under Wine (exit $status)" >&2
fi
exit "$status"

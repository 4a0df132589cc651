#!/usr/bin/env bash
# Cross-compiles the engine, the window logic and the Win32 window with their tests for 64-bit
# Windows with MinGW-w64 and runs them under Wine: the engine's and the logic's tests without a
# display, the Win32 window's on an Xvfb display of their own. Installs the Debian packages it
# needs when they are missing.
# Usage: scripts/windows-tests.sh [GoogleTest arguments, e.g. --gtest_filter=Windows*]
#        scripts/windows-tests.sh --bench [file|files]   instead, the Win32 window's benchmark
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/windows"

"$root/scripts/install-deps.sh" windows-test
bench=no
if [ "${1:-}" = --bench ]; then
    bench=yes
    shift
fi

# The loader is not on the PATH.
wine_files="$(dpkg -L wine64)"
wine="$(grep -m1 '/wine64$' <<<"$wine_files")"
wineserver="$(dirname "$wine")/wineserver"

# Each suite: its program, and whether it needs a display.
suites=("engine_tests no" "selection_tests no" "window_logic_tests no" "window_win32_tests yes")
targets=()
for suite in "${suites[@]}"; do targets+=("${suite%% *}"); done
[ "$bench" = no ] || targets=(window_win32_bench)

cmake --preset windows -S "$root" >/dev/null
cmake --build "$build" -j"${JOBS:-2}" --target "${targets[@]}" segment-replace-cli

# A throwaway prefix, no prompts for Mono or Gecko, no debug chatter.
export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$WINEPREFIX"
# A wine server left from an earlier run would keep its display; start afresh.
"$wineserver" -k 2>/dev/null || true
[ -d "$WINEPREFIX/dosdevices" ] || "$wine" cmd.exe /c exit 0

# Drive R: for the tests that need a drive root they may write to.
drive="$build/drive-r"
rm -rf "$drive"
mkdir -p "$drive"
ln -sfn "$drive" "$WINEPREFIX/dosdevices/r:"
export REPLACE_TEST_DRIVE=R:

# A display of our own for the window, found free from :90 up; stopped on the way out.
xvfb_pid=""
display=""
cleanup() {
    "$wineserver" -k 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
start_display() {
    local n
    for n in $(seq 90 120); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        xvfb_pid=$!
        for _ in $(seq 50); do
            [ -e "/tmp/.X11-unix/X$n" ] && { display=":$n"; return 0; }
            sleep 0.1
        done
        kill "$xvfb_pid" 2>/dev/null || true
    done
    echo "windows-tests.sh: cannot start Xvfb" >&2
    return 1
}

if [ "$bench" = yes ]; then
    start_display
    DISPLAY="$display" "$wine" "$build/window_win32_bench.exe" "$@"
    exit
fi

status=0
for suite in "${suites[@]}"; do
    read -r name needs_display <<<"$suite"
    echo "== $name.exe under Wine"
    if [ "$needs_display" = yes ]; then
        # The wine server keeps the display it started with: let the one without stop first.
        [ -n "$display" ] || { "$wineserver" -w || true; start_display; }
        DISPLAY="$display" "$wine" "$build/$name.exe" --gtest_color=no "$@" || status=1
    else
        "$wine" "$build/$name.exe" --gtest_color=no "$@" || status=1
    fi
done
# The window's layout once more at 144 DPI (150 %), where a pixel is 10 twips, not 15.
set_dpi() {
    DISPLAY="$display" "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
        /d "$1" /f >/dev/null 2>&1
    "$wineserver" -w || true
}
if [ $# -eq 0 ] && [ -n "$display" ]; then
    echo "== window_win32_tests.exe at 144 DPI"
    set_dpi 144
    DISPLAY="$display" REPLACE_TEST_DPI=144 "$wine" "$build/window_win32_tests.exe" \
        --gtest_color=no --gtest_filter='Win32Window.Opens*' || status=1
    set_dpi 96
fi

# The command line: its version, its help for /?, and one small run over "*.htm", which it
# expands itself as cmd.exe leaves that to programs (not to other.html, whose short name
# matches), whose outputs are compared byte for byte.
cli_run="$build/cli-run"
rm -rf "$cli_run"
mkdir -p "$cli_run"
printf 'x <a b> <A B>\r\n' >"$cli_run/page.htm"
printf '<a b>\n' >"$cli_run/Second.htm"
printf '<a b>\n' >"$cli_run/other.html"
if ! "$wine" "$build/segment-replace-cli.exe" --version ||
    ! "$wine" "$build/segment-replace-cli.exe" '/?' | grep -q '^usage: segment-replace-cli' ||
    ! (cd "$cli_run" && {
        "$wine" "$build/segment-replace-cli.exe" --start '<a' --stop '>' --search b \
            --replace i '*.htm' 'none*.htm' 2>&1
        [ $? -eq 1 ]
    }) | tr -d '\r' | sed 's/^\(none\*\.htm: failed:\).*/\1/' |
        diff - <(printf '%s\n' 'page_new.htm: 1 line, 2 segments, 2 replacements' \
            'Second_new.htm: 1 line, 1 segment, 1 replacement' \
            'none*.htm: failed:' \
            '3 files: 2 done, 2 changed, 1 failed; 2 lines, 3 segments, 3 replacements') ||
    ! cmp "$cli_run/page_new.htm" <(printf 'x <a i> <A i>\r\n') ||
    ! cmp "$cli_run/Second_new.htm" <(printf '<a i>\n'); then
    echo "windows-tests.sh: segment-replace-cli.exe failed under Wine" >&2
    status=1
fi
# Let the wine server of this prefix shut down before returning.
"$wineserver" -w || true
if [ "$status" -ne 0 ]; then
    echo "windows-tests.sh: tests failed under Wine" >&2
fi
exit "$status"

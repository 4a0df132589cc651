#!/usr/bin/env bash
# Renders the main window as it opens into a PNG, without a display of one's own.
#   scripts/render-window.sh OUTPUT.png             the Qt window (from the test build)
#   scripts/render-window.sh --windows OUTPUT.png   the Win32 window under Wine on Xvfb
set -euo pipefail

windows=no
if [[ "${1:-}" == --windows ]]; then
  windows=yes
  shift
fi
if [[ $# -ne 1 ]]; then
  echo "usage: $0 [--windows] OUTPUT.png" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/test
output=$(realpath -m "$1")

cmake --preset test -S "$root" >/dev/null
if [[ $windows == no ]]; then
  cmake --build "$build" -j"${JOBS:-2}" --target render_window_qt
  QT_QPA_PLATFORM=offscreen "$build/tools/render_window_qt" "$output"
  echo "$output"
  exit 0
fi

# The Win32 window: built with MinGW-w64, shown under Wine on a private Xvfb display, saved as a
# BMP by the program itself and converted with the Qt build's image tool.
"$root/scripts/install-deps.sh" test
cmake --build "$build" -j"${JOBS:-2}" --target icon_to_png
win="$root/build/windows"
cmake --preset windows -S "$root" >/dev/null
cmake --build "$win" -j"${JOBS:-2}" --target render_window_win32

wine_files="$(dpkg -L wine64)"
wine="$(grep -m1 '/wine64$' <<<"$wine_files")"
wineserver="$(dirname "$wine")/wineserver"
export WINEPREFIX="$win/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# A wine server left from a run on another display would keep the window there.
"$wineserver" -k 2>/dev/null || true
display=""
for n in $(seq 90 120); do
  [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  trap '"$wineserver" -k 2>/dev/null; kill $xvfb_pid 2>/dev/null || true' EXIT
  for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X$n ]] && break; sleep 0.1; done
  display=":$n"
  break
done
[[ -n $display ]] || { echo "render-window.sh: no free display" >&2; exit 1; }
export DISPLAY=$display
bmp="$win/window.bmp"
"$wine" "$win/render_window_win32.exe" "Z:${bmp//\//\\}"
"$build/tools/icon_to_png" "$bmp" "$output"
echo "$output"

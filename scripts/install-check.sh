#!/usr/bin/env bash
# The README's install line after its run command's build: installs into a throwaway prefix and
# checks that both programs start from there and that desktops find the window and its icon.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

REPLACE_BUILD_ONLY=1 "$root/scripts/run.sh"
cmake --install "$root/build/release" --prefix "$prefix" >/dev/null

fail() { echo "install-check.sh: $*" >&2; exit 1; }
version=$(sed -n 's/^project(SegmentReplace VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
for program in segment-replace segment-replace-cli; do
  out=$("$prefix/bin/$program" --version) || fail "$program --version failed"
  [[ "$out" == *"$version"* ]] || fail "$program --version says '$out', not $version"
done
desktop="$prefix/share/applications/segment-replace.desktop"
[ -f "$desktop" ] || fail "no desktop entry"
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
icon_name=$(sed -n 's/^Icon=//p' "$desktop")
[ -x "$prefix/bin/$exec_name" ] || fail "the desktop entry's program $exec_name is not installed"
[ -s "$prefix/share/pixmaps/$icon_name.png" ] || fail "the desktop entry's icon $icon_name is not installed"
[ -s "$prefix/share/man/man1/segment-replace-cli.1" ] || fail "no man page"
echo "installed and started: segment-replace, segment-replace-cli ($version)"

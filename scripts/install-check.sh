#!/usr/bin/env bash
# The README's install line after its run command's build: installs into a throwaway prefix and
# checks that both programs start from there and that desktops find the window and its icon.
# Then the packages: the Debian package unpacked into a throwaway root, where its command line
# starts, and the Windows zip's contents, both against their SHA-256 sums.
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

"$root/scripts/package.sh" >/dev/null
packages="$root/build/packages"
(cd "$packages" && sha256sum --quiet -c ./*.sha256) || fail "a package does not match its sum"
deb="$packages/segment-replace_${version}_amd64.deb"
dpkg-deb -x "$deb" "$prefix/root"
out=$("$prefix/root/usr/bin/segment-replace-cli" --version) || fail "the packaged command line does not start"
[[ "$out" == *"$version"* ]] || fail "the packaged command line says '$out'"
for path in usr/bin/segment-replace usr/share/applications/segment-replace.desktop \
    usr/share/pixmaps/segment-replace.png usr/share/man/man1/segment-replace-cli.1; do
  [ -s "$prefix/root/$path" ] || fail "the Debian package lacks /$path"
done
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || fail "the Debian package declares no Qt"
zip="$packages/segment-replace-${version}-windows-x64.zip"
listed=$(unzip -Z1 "$zip" | sort | tr '\n' ' ')
[ "$listed" = "README.txt segment-replace-cli.exe segment-replace.exe " ] ||
  fail "the Windows zip holds: $listed"
echo "packaged: $(basename "$deb"), $(basename "$zip")"

#!/usr/bin/env bash
# Makes the packages, each with its SHA-256 sum beside it, in build/packages:
#   segment-replace_<version>_amd64.deb          the window, the command line, the man page, the
#                                                desktop entry and icon, with its dependencies
#   segment-replace-<version>-windows-x64.zip   both .exe files and a short README.txt
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/build/packages"
"$root/scripts/install-deps.sh" package

REPLACE_BUILD_ONLY=1 "$root/scripts/run.sh"
"$root/scripts/build-windows.sh" >/dev/null
mkdir -p "$out"
for build in release windows; do
  (cd "$root/build/$build" && cpack -B "$out" >/dev/null)
done
rm -rf "$out/_CPack_Packages"
cd "$out"
for package in *.deb *.zip; do
  sha256sum "$package" >"$package.sha256"
  echo "$out/$package"
done

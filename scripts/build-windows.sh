#!/usr/bin/env bash
# Builds the Win32 program build/windows/segment-replace.exe, and the command line
# build/windows/segment-replace-cli.exe, with MinGW-w64: statically linked,
# so it runs on Windows 10 and 11 (and under Wine) with nothing beside it. Installs the MinGW-w64
# packages when they are missing.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/windows"

"$root/scripts/install-deps.sh" windows

cmake --preset windows -S "$root" >/dev/null
cmake --build "$build" -j"${JOBS:-2}" --target segment-replace segment-replace-cli

for exe in "$build/segment-replace.exe" "$build/segment-replace-cli.exe"; do
    # Statically linked: no DLL beyond those every Windows has.
    if x86_64-w64-mingw32-objdump -p "$exe" | grep -iE 'DLL Name: (libstdc|libgcc|libwinpthread)'; then
        echo "build-windows.sh: $exe needs MinGW DLLs" >&2
        exit 1
    fi
    # The version that Explorer's Details shows, and the manifest that makes long paths work.
    version=$(sed -n 's/^project(SegmentReplace VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
    if ! strings -n 3 -el "$exe" | grep -A1 -x ProductVersion | grep -qx "$version" ||
        ! grep -q longPathAware "$exe"; then
        echo "build-windows.sh: $exe has no version $version or no long-path manifest" >&2
        exit 1
    fi
    size=$(stat -c %s "$exe")
    if [ "$size" -ge $((3 * 1024 * 1024)) ]; then
        echo "build-windows.sh: $exe is $size bytes, over 3 MB" >&2
        exit 1
    fi
    echo "$exe ($size bytes)"
done

#!/usr/bin/env bash
# One real pass over a file of more than 2 GiB: generates HTML-like lines ending in CR LF that
# need no change, runs the engine's pass over it and compares the output with the source byte
# for byte. Needs about twice the size in free disk space and a few minutes; not part of CI.
# Usage: scripts/big-file-check.sh [size in MiB, default 2200]   (folder: $BIG_FILE_DIR)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/test"
work="${BIG_FILE_DIR:-$root/build/big-file}"
mib="${1:-2200}"

mkdir -p "$work"
source="$work/big.htm"
output="$work/big_new.htm"
trap 'rm -f "$source" "$output" "$work"/.sr*' EXIT

echo "== building the driver"
cmake --preset test -S "$root" >/dev/null
cmake --build "$build" -j"${JOBS:-2}" --target big_file_pass

echo "== generating ${mib} MiB"
line='<p><a href="http://www.example.com/page" style="text-decoration: underline">a link</a> and some text</p>'
# Each line is the text, CR and the LF that yes adds.
lines=$(( (mib * 1048576 + ${#line} + 1) / (${#line} + 2) ))
start=$(date +%s)
# yes ends on SIGPIPE when head has enough.
{ yes "$line"$'\r' || true; } | head -n "$lines" >"$source"
echo "$(stat -c %s "$source") bytes in $(( $(date +%s) - start ))s"

echo "== pass"
start=$(date +%s)
if [ -x /usr/bin/time ]; then
    /usr/bin/time -f "peak memory %M KiB" "$build/tools/big_file_pass" "$source"
else
    "$build/tools/big_file_pass" "$source"
fi
echo "pass took $(( $(date +%s) - start ))s"

echo "== comparing"
cmp "$source" "$output"
echo "big-file-check: output identical to the source"

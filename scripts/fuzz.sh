#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time.
# Usage: scripts/fuzz.sh [seconds per run]   (default 20, or $FUZZ_SECONDS; three runs)
# Exits non-zero when a target finds a crash, a sanitizer report, a timeout or a mismatch;
# the input that caused it is left in build/fuzz/findings/.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/fuzz"
seconds="${1:-${FUZZ_SECONDS:-20}}"

if ! command -v clang++ >/dev/null || ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
    echo "fuzz.sh: installing clang and its fuzzer runtime" >&2
    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq clang libclang-rt-14-dev
fi

cmake --preset fuzz -S "$root" >/dev/null
cmake --build "$build" -j2 --target rewrite_fuzz pass_fuzz

# Each run: target and locale. The rewrite is fuzzed in the "C" locale and, where it is
# installed, in a Latin-1 locale whose letters past ASCII fold too.
runs=("rewrite_fuzz C" "pass_fuzz C")
latin1="$(locale -a 2>/dev/null | grep -i -m1 '^de_DE\.iso88591$' || true)"
[ -n "$latin1" ] && runs=("rewrite_fuzz C" "rewrite_fuzz $latin1" "pass_fuzz C")

status=0
for run in "${runs[@]}"; do
    read -r target locale <<<"$run"
    name="${target%_fuzz}"
    work="$build/corpus/$name"
    findings="$build/findings/$name-$locale/"
    mkdir -p "$work" "$findings"
    log="$build/$target-$locale.log"
    echo "== $target ($locale): ${seconds}s"
    # New inputs go to the working corpus; the committed seeds are only read.
    if LC_ALL=C FUZZ_LOCALE="$locale" "$build/tests/fuzz/$target" -max_total_time="$seconds" \
        -max_len=4096 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$findings" "$work" "$root/tests/fuzz/corpus/$name" >"$log" 2>&1; then
        runs_done="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || true)"
        echo "$target ($locale): ${runs_done:-?} executions, no finding"
    else
        status=1
        echo "$target ($locale): FINDING (log: $log, input in $findings)" >&2
        grep -v '^#' "$log" | tail -40 >&2
    fi
done
exit "$status"

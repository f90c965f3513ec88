#!/usr/bin/env bash
# Long fuzz runs: builds the fuzz-long preset and runs the named targets side by side, each for RUNS
# executions seeded with its committed corpus, then minimises corpus and findings together into
# tests/fuzz_corpus/<target>. Any crash is kept as build-fuzz-long/<target>-crash-*.
#
# The fuzz-long build is optimised and checks undefined behaviour and the standard library's bounds,
# but has no address sanitizer and no comparison tracing: about twice the executions per second of
# the fuzz preset. Every input it keeps is replayed under the address sanitizer by ctest (asan).
#
# Usage: scripts/fuzz-long.sh RUNS TARGET...   (e.g. scripts/fuzz-long.sh 10000000 lzw revarud)
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -ge 2 ] || { echo "Aufruf: $0 RUNS TARGET..." >&2; exit 2; }
runs=$1
shift

cmake --preset fuzz-long >/dev/null
cmake --build --preset fuzz-long -j "$(nproc)"

out=build-fuzz-long
pids=()
for target in "$@"; do
    rm -rf "$out/found-$target"
    mkdir -p "$out/found-$target"
    "$out/fuzz/fuzz_$target" -runs="$runs" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$out/$target-" \
        "$out/found-$target" "tests/fuzz_corpus/$target" >"$out/run-$target.log" 2>&1 &
    pids+=($!)
done
# A bare `wait` always succeeds; waiting on each run keeps a failed one from passing unnoticed.
status=0
for pid in "${pids[@]}"; do
    wait "$pid" || status=$?
done
for target in "$@"; do
    echo "== $target"
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)|^Done|ERROR' \
        "$out/run-$target.log" || true
done
[ "$status" -eq 0 ] || { echo "Ein Fuzz-Lauf ist gescheitert (siehe $out/run-*.log)." >&2; exit 1; }

for target in "$@"; do
    rm -rf "$out/merged-$target"
    mkdir -p "$out/merged-$target"
    "$out/fuzz/fuzz_$target" -merge=1 -max_len=4096 "$out/merged-$target" \
        "tests/fuzz_corpus/$target" "$out/found-$target" >"$out/merge-$target.log" 2>&1
    rm -rf "tests/fuzz_corpus/$target"
    mv "$out/merged-$target" "tests/fuzz_corpus/$target"
    echo "$target: $(ls "tests/fuzz_corpus/$target" | wc -l) Eingaben im Korpus"
done

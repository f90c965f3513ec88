#!/usr/bin/env bash
# A small mutation run: each line of scripts/mutations.tsv names a file, a piece of code that
# stands there exactly once, and what it is changed into (a comparison, a bound, a constant). Each
# change is built alone in build-mutation/ and the whole test suite runs against it; a change that
# some test fails on is caught. Prints one line per change and "caught N of M" last.
# Usage: scripts/mutation.sh [LIST]   (the list file, scripts/mutations.tsv by default; in it
# "\n" stands for a line break)
set -euo pipefail
cd "$(dirname "$0")/.."
list=${1:-scripts/mutations.tsv}
jobs=$(nproc)
# Optimised as the release is, but without debug information and with a fast linker where there
# is one: each change relinks every program that uses its library.
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG"
    -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" -DMIRADEX_BENCH=OFF)
command -v ccache >/dev/null && options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
command -v ld.lld >/dev/null && options+=(-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld)
cmake -S . -B build-mutation -G Ninja "${options[@]}" >/dev/null
cmake --build build-mutation -j "$jobs" >/dev/null

current=""
restore() { [ -n "$current" ] && git checkout -q -- "$current"; current=""; }
trap restore EXIT

# The tests that start the program or an X server run after all others have passed, so that a
# change caught by a quick test costs seconds.
slow='^(xvfb_|weston_|E2e|ProgramTest\.(Command|Batch)|NoDisplayTest|system_profiler_json|Layer|Install)'

caught=0 total=0
while IFS=$'\t' read -r file original mutant; do
    [[ -z "$file" || "$file" == \#* ]] && continue
    total=$((total + 1))
    if [ -n "$(git status --porcelain -- "$file")" ]; then
        echo "$file hat ungesicherte Änderungen: Abbruch" >&2
        exit 1
    fi
    current=$file
    if ! python3 - "$file" "$original" "$mutant" <<'PY'; then
import sys
path, original, mutant = (a.replace("\\n", "\n") for a in sys.argv[1:])
text = open(path, encoding="utf-8").read()
if text.count(original) != 1:
    sys.exit(1)
open(path, "w", encoding="utf-8").write(text.replace(original, mutant))
PY
        echo "nicht gefunden  $file: $original"
        restore
        continue
    fi
    if ! cmake --build build-mutation -j "$jobs" >/dev/null 2>&1; then
        result="baut nicht"
    elif ctest --test-dir build-mutation -j "$jobs" --stop-on-failure -E "$slow" >/dev/null 2>&1 &&
        ctest --test-dir build-mutation -j "$jobs" --stop-on-failure -R "$slow" >/dev/null 2>&1; then
        result="überlebt"
    else
        result="gefangen"
        caught=$((caught + 1))
    fi
    printf '%-10s  %s: %s -> %s\n' "$result" "$file" "$original" "$mutant"
    restore
done <"$list"
cmake --build build-mutation -j "$jobs" >/dev/null
echo "caught $caught of $total"

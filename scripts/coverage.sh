#!/usr/bin/env bash
# Line coverage of the core library and the Qt layer by the whole test suite: builds the
# `coverage` preset (build-coverage/), runs every test, and writes the summary per file to
# build-coverage/coverage.txt (the last lines hold the total).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test
jobs=$(nproc)
cmake --preset coverage >/dev/null
cmake --build --preset coverage -j "$jobs"
find build-coverage -name '*.gcda' -delete
ctest --preset coverage -j "$jobs" >build-coverage/ctest.log 2>&1 || {
    tail -n 30 build-coverage/ctest.log
    exit 1
}
gcovr --root . --object-directory build-coverage \
    --filter '^base/' --filter '^runtime/' --filter '^text/' --filter '^app/' \
    --filter '^report/' --filter '^platform/qt/' \
    --gcov-ignore-parse-errors --txt build-coverage/coverage.txt
tail -n 3 build-coverage/coverage.txt

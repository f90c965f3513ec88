#!/usr/bin/env bash
# The map check passes on the repository and names a core file that the map leaves out.
set -euo pipefail
source_dir=$1
check="$source_dir/scripts/check-map.sh"
"$check" "$source_dir" >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/docs" "$work/base" "$work/runtime" "$work/text" "$work/app" "$work/report"
printf 'The log sink (`base/log.cpp`).\n' >"$work/docs/architecture.md"
touch "$work/base/log.h" "$work/base/log.cpp"
"$check" "$work" >/dev/null || { echo "a named unit was refused"; exit 1; }
touch "$work/report/unnamed.cpp"
if out=$("$check" "$work"); then echo "the unnamed file was not found"; exit 1; fi
[ "$out" = "Nicht in docs/architecture.md: report/unnamed.cpp" ] || { echo "wrong report: $out"; exit 1; }
echo "map check: 1 passed, 0 failed"

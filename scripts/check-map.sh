#!/usr/bin/env bash
# docs/architecture.md names every source file of the core (base/ to report/): a unit counts as
# named when the map names its header or its implementation file. Prints each file it misses.
# Usage: scripts/check-map.sh [DIR]   (DIR: the tree to check, the repository by default)
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

map=docs/architecture.md
status=0
while IFS= read -r file; do
    stem=${file%.*}
    if ! grep -qF -e "$file" -e "$stem.h" -e "$stem.cpp" "$map"; then
        echo "Nicht in $map: $file"
        status=1
    fi
done < <(find base runtime text app report -type f \( -name '*.h' -o -name '*.cpp' \) | sort)
exit "$status"

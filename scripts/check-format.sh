#!/usr/bin/env bash
# Fails when a C++ file differs from what clang-format makes of it.
set -euo pipefail
cd "$(dirname "$0")/.."
status=0
while IFS= read -r -d '' file; do
    if ! clang-format --dry-run --Werror "$file" 2>/dev/null; then
        echo "Nicht formatiert: $file (clang-format -i $file)"
        status=1
    fi
done < <(git ls-files -z -- '*.cpp' '*.h')
exit $status

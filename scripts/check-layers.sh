#!/usr/bin/env bash
# The core library (runtime/, text/, app/, report/) and the window-layer interface never include
# a Qt header: Qt lives in platform/qt/ only.
set -euo pipefail
cd "$(dirname "$0")/.."
hits=$(git grep -nE '#\s*include\s*[<"]Q[A-Za-z]*[>/"]|#\s*include\s*[<"]Qt' -- \
       runtime text app report tools ':(glob)platform/*.h' ':(glob)platform/*.cpp' \
       ':(glob)platform/sound/**' || true)
if [ -n "$hits" ]; then
    echo "Qt-Header außerhalb von platform/qt/:"
    echo "$hits"
    exit 1
fi

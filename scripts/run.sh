#!/usr/bin/env bash
# Builds Miradex and starts it: build/Miradex.app/Contents/MacOS/miradex [ARGS...]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh build
cmake --preset dev >/dev/null
cmake --build --preset dev --target miradex
exec build/Miradex.app/Contents/MacOS/miradex "$@"

#!/usr/bin/env bash
# The layer check passes on the repository and fails on a tree with one planted upward include,
# on a Qt header outside platform/qt/, and on an include loop in the lowest layers.
set -euo pipefail
source_dir=$1
check="$source_dir/scripts/check-layers.sh"
"$check" "$source_dir" >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/runtime" "$work/app" "$work/tests"
echo '#include "app/events.h"' >"$work/runtime/window.cpp"
echo '#include "runtime/window.h"' >"$work/app/events.h"
echo '#include "platform/qt/layer_window.h"' >"$work/tests/anything_test.cpp"
if out=$("$check" "$work"); then
    echo "the upward include from runtime/ to app/ was not found"; exit 1
fi
grep -q 'runtime/window.cpp' <<<"$out" || { echo "wrong report: $out"; exit 1; }
[ "$(wc -l <<<"$out")" -eq 1 ] || { echo "more than the planted include reported: $out"; exit 1; }

echo '#include "runtime/window.h"' >"$work/runtime/window.cpp"
"$check" "$work" >/dev/null || { echo "a clean tree was refused"; exit 1; }

# tools/ stands beside the program: base/, runtime/ and itself, nothing of app/.
mkdir -p "$work/tools/fontgen"
echo '#include "runtime/window.h"' >"$work/tools/fontgen/fontgen.cpp"
"$check" "$work" >/dev/null || { echo "a tools/ include of runtime/ was refused"; exit 1; }
echo '#include "app/events.h"' >"$work/tools/fontgen/fontgen.cpp"
if out=$("$check" "$work"); then echo "a tools/ include of app/ was not found"; exit 1; fi
grep -q 'tools/fontgen/fontgen.cpp' <<<"$out" || { echo "wrong report: $out"; exit 1; }
rm -r "$work/tools"

# A loop between two units of runtime/ is named by its units.
echo '#include "runtime/cells.h"' >"$work/runtime/window.cpp"
echo '#include "runtime/window.h"' >"$work/runtime/cells.h"
if out=$("$check" "$work"); then echo "the include loop in runtime/ was not found"; exit 1; fi
[ "$out" = "Include-Schleife: runtime/cells runtime/window" ] || { echo "wrong report: $out"; exit 1; }
rm "$work/runtime/cells.h"
echo '#include "runtime/window.h"' >"$work/runtime/window.cpp"

echo '#include <QString>' >"$work/app/events.h"
if "$check" "$work" >/dev/null; then echo "a Qt header in app/ was not found"; exit 1; fi
echo "layer check: 1 passed, 0 failed"

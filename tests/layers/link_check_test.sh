#!/usr/bin/env bash
# A planted upward call fails to link: an object of the runtime layer that calls the text
# engine's t_PrintChar is linked whole with the runtime and base libraries only, as the build's
# layer link checks link each layer; the linker must name the missing routine. With the text
# library added, that reference is found.
# Usage: link_check_test.sh CXX BASE_LIB RUNTIME_LIB TEXT_LIB
set -euo pipefail
cxx=$1 base=$2 runtime=$3 text=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat >"$work/planted.cpp" <<'CPP'
namespace mdx {
void t_PrintChar(unsigned char window, unsigned char code);
void plantedupwardcall() { t_PrintChar(0, 65); }
} // namespace mdx
int main() { mdx::plantedupwardcall(); }
CPP
"$cxx" -std=c++20 -c "$work/planted.cpp" -o "$work/planted.o"
if "$cxx" "$work/planted.o" "$runtime" "$base" -pthread -o "$work/below" 2>"$work/below.log"; then
    echo "the upward call linked without the text library"; exit 1
fi
grep -q 'undefined reference to `mdx::t_PrintChar' "$work/below.log" ||
    { echo "the link failed for another reason:"; cat "$work/below.log"; exit 1; }
# In a sanitizer build this link lacks the sanitizer runtimes, so only the planted reference
# itself counts.
"$cxx" "$work/planted.o" "$text" "$runtime" "$base" -pthread -o "$work/with" 2>"$work/with.log" || true
if grep -q 'undefined reference to `mdx::t_PrintChar' "$work/with.log"; then
    echo "t_PrintChar was not found in the text library:"; cat "$work/with.log"; exit 1
fi
echo "layer link check: 1 passed, 0 failed"

#!/usr/bin/env bash
# Every include points down. The layers, from the bottom:
#   base/      tool library, log sink, basic types and clock, thread starts
#   runtime/   window table, video memory, window-layer interface, fonts, image, update, read-back
#   text/      character output, cursor, scrolling, display modes, text windows
#   app/       events, menus, the program loop
#   report/    the report program
#   platform/  the program's entry point, the Qt layer (platform/qt/ only) and the beep player
#   tools/     build-time tools and the profiler command: beside the rest, not above it
# A source file may include its own layer and the layers below it; tools/ only itself, base/ and
# runtime/ (fontgen writes the runtime's font format). Tests, benchmarks and fuzz targets may
# include any layer. Qt headers stand in platform/qt/ alone. Within base/ and runtime/ no unit (a
# header with its source file) reaches itself again through includes, so that each can be read,
# tested and replaced on its own.
# Usage: scripts/check-layers.sh [DIR]   (DIR: the tree to check, the repository by default)
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

layers=(base runtime text app report platform tools)
rank() {
    local i
    for i in "${!layers[@]}"; do
        [ "${layers[$i]}" = "$1" ] && { echo "$i"; return; }
    done
    echo -1
}

# Whether a file of layer $1 may include a header of layer $2.
allowed() {
    if [ "$1" = tools ]; then
        case "$2" in base | runtime | tools) return 0 ;; *) return 1 ;; esac
    fi
    [ "$(rank "$2")" -le "$(rank "$1")" ]
}

status=0
while IFS= read -r file; do
    own=${file%%/*}
    [ "$(rank "$own")" -ge 0 ] || continue
    while IFS= read -r line; do
        target=${line#*\"}
        target=${target%%/*}
        [ "$(rank "$target")" -ge 0 ] || continue
        if ! allowed "$own" "$target"; then
            echo "Aufwärts-Include: $file: $line"
            status=1
        fi
    done < <(grep -E '^\s*#\s*include\s*"[a-z_]+/' "$file" || true)
    case "$file" in
        platform/qt/*) ;;
        *)
            if grep -qE '^\s*#\s*include\s*[<"](Q[A-Za-z]*|Qt[A-Za-z]*/[^>"]*)[>"]' "$file"; then
                echo "Qt-Header außerhalb von platform/qt/: $file"
                status=1
            fi ;;
    esac
done < <(find "${layers[@]}" -type f \( -name '*.h' -o -name '*.cpp' \) 2>/dev/null | sort)

# "unit included-unit" pairs of base/ and runtime/, for tsort, which names the units of a loop.
lowerincludes() {
    local file unit target
    while IFS= read -r file; do
        unit=${file%.*}
        echo "$unit $unit"
        while IFS= read -r target; do
            echo "$unit ${target%.*}"
        done < <(grep -oE '^\s*#\s*include\s*"(base|runtime)/[^"]+"' "$file" | sed -E 's/.*"(.+)"/\1/')
    done < <(find base runtime -type f \( -name '*.h' -o -name '*.cpp' \) 2>/dev/null | sort)
}
if ! loops=$(lowerincludes | tsort 2>&1 >/dev/null); then
    echo "Include-Schleife: $(grep -v 'contains a loop' <<<"$loops" | sed 's/^tsort: //' | sort -u | xargs)"
    status=1
fi
exit "$status"

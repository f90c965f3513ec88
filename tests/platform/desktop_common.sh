# Shared by the desktop tests, sourced after `set -euo pipefail`: tools that must be there, a run
# under an X server of the test's own, a private work folder whose programs end with the test,
# and waits bounded in seconds however long each try takes.

# needs TOOL...: the test is skipped (status 77) when one of them is missing.
needs() {
    local command
    for command in "$@"; do
        command -v "$command" >/dev/null || { echo "$command fehlt: übersprungen"; exit 77; }
    done
}

# underxvfb SIZE SCRIPT ARGS...: starts the script again under an X server of SIZE (such as
# 1280x1024) on a free display; returns at once when it already runs there.
underxvfb() {
    [ -n "${MIRADEX_XVFB_INNER:-}" ] && return 0
    export MIRADEX_XVFB_INNER=1
    local size=$1
    shift
    exec timeout 240 xvfb-run -a -s "-screen 0 ${size}x24 -nolisten tcp" "$@"
}

# startwork: the work folder, with a runtime folder that only this user may enter; every program
# started into pids is ended when the test ends. Called after underxvfb, which starts anew.
startwork() {
    work=$(mktemp -d)
    pids=()
    trap cleanup EXIT
    mkdir -m 700 "$work/run"
    export XDG_RUNTIME_DIR=$work/run
}
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}

# What a failure shows besides its reason: the programs' logs. A test may add to it.
failcontext() { :; }
fail() {
    echo "FEHLER: $*" >&2
    failcontext >&2
    echo "--- Protokoll" >&2
    cat "$work"/log* >&2 || true
    exit 1
}
# waitfor WHAT COMMAND...: polls the command for up to 60 seconds.
waitfor() {
    local what=$1 end=$((SECONDS + 60))
    shift
    while [ "$SECONDS" -lt "$end" ]; do "$@" && return 0; sleep 0.1; done
    fail "$what"
}
ended() { ! kill -0 "$1" 2>/dev/null; }

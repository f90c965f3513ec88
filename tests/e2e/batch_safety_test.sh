#!/bin/bash
# Batch runs that must end well whatever the file and the environment hold.
#   bells:  64 KiB of BEL bytes in a report, as nobody under a limit of 40 processes and threads;
#           the run ends with status 0 (ctest's time limit bounds it).
#   tmpdir: TMPDIR names a missing folder and there is no XDG_RUNTIME_DIR; nothing appears at the
#           root of the file system.
# Both need root (runuser, and a root that may write at /); they are skipped otherwise.
# usage: batch_safety_test.sh PROGRAM bells|tmpdir
set -u
program=$1
skip=77
[ "$(id -u)" = 0 ] || { echo "needs root"; exit $skip; }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
chmod 755 "$dir"

case $2 in
bells)
    command -v prlimit >/dev/null && command -v runuser >/dev/null || exit $skip
    head -c 65536 /dev/zero | tr '\0' '\a' >"$dir/glocken.mirdx"
    chmod 644 "$dir/glocken.mirdx"
    runuser -u nobody -- prlimit --nproc=40 env TMPDIR=/tmp \
        "$program" --batch "$dir/glocken.mirdx" >/dev/null 2>"$dir/errors"
    status=$?
    [ "$status" = 0 ] || { echo "status $status"; tail -n 5 "$dir/errors"; exit 1; }
    ;;
tmpdir)
    printf 'Bericht\n' >"$dir/bericht.mirdx"
    before=$(ls -A /)
    env -u XDG_RUNTIME_DIR TMPDIR=/gibt/es/nicht "$program" --batch "$dir/bericht.mirdx" \
        >/dev/null 2>"$dir/errors"
    status=$?
    after=$(ls -A /)
    made=$(comm -13 <(echo "$before") <(echo "$after"))
    for name in $made; do # only what such a run would make
        case $name in miradex-* | runtime-*) rm -rf "/${name:?}" ;; esac
    done
    [ -z "$made" ] || { echo "made at /: $made"; exit 1; }
    [ "$status" = 0 ] || { echo "status $status"; tail -n 5 "$dir/errors"; exit 1; }
    ;;
*)
    echo "usage: $0 PROGRAM bells|tmpdir" >&2
    exit 2
    ;;
esac

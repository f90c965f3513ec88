#!/usr/bin/env bash
# Miradex under a Wayland compositor (weston, headless, drawing with pixman): the program starts
# on the wayland platform, a second start hands its document over and ends, and the program quits
# through the terminate path on SIGTERM. Every wait polls with a time limit.
# Usage: weston_test.sh PROGRAM
set -euo pipefail
program=$1
source "$(dirname "$0")/desktop_common.sh"
needs weston
startwork
export MIRADEX_SELFTEST_TRACE=$work/trace
unset DISPLAY QT_SCALE_FACTOR
touch "$work/trace"

start() { # start LOG ARGS...: log to $work/LOG
    local log=$1; shift
    "$program" "$@" >"$work/$log" 2>&1 &
    pids+=($!)
}

weston --backend=headless-backend.so --use-pixman --socket=miradex --idle-time=0 \
    >"$work/log-weston" 2>&1 &
pids+=($!)
waitfor "weston läuft" test -S "$work/run/miradex"
export WAYLAND_DISPLAY=miradex QT_QPA_PLATFORM=wayland

printf 'Bericht A\r' >"$work/a.mirdx"
printf 'Bericht B\r' >"$work/b.mirdx"
start log1 "$work/a.mirdx"
first=${pids[-1]}
waitfor "Fenster 0 eingerichtet" grep -q "t_InitWindow: GraphicWindow #0 End." "$work/log1"

start log2 "$work/b.mirdx"
waitfor "zweiter Start übergibt und endet" ended "${pids[-1]}"
wait "${pids[-1]}" || fail "zweiter Start endet mit Fehler"
grep -q "Program: Start" "$work/log2" && fail "zweiter Start lief selbst"
waitfor "Dokument übergeben" grep -qx "file $work/b.mirdx" "$work/trace"
kill -0 "$first" || fail "erstes Programm beendet"

kill -TERM "$first"
waitfor "Programm endet" ended "$first"
[ "$(grep -v '^$' "$work/log1" | tail -n 1)" = "applicationWillTerminate: Called." ] ||
    fail "letzte Zeile: $(tail -n 1 "$work/log1")"
echo "Alles gut."

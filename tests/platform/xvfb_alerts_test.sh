#!/usr/bin/env bash
# Failures in the window program, on a real X server driven with xdotool: a save onto a full disk
# (the fault shim of tests/faults makes every file write fail with ENOSPC) shows an alert and
# keeps the old file byte for byte; a document that cannot be opened shows an alert and leaves
# the screen and the proposed name as they were.
# Usage: xvfb_alerts_test.sh PROGRAM FAULT_SHIM
set -euo pipefail
program=$1
shim=$2
source "$(dirname "$0")/desktop_common.sh"
needs xvfb-run xdotool
underxvfb 1280x1024 "$0" "$@"
startwork

unset QT_QPA_PLATFORM
mkdir "$work/in" "$work/out"
failcontext() { ls -la "$work/out"; for w in $(xdotool search --onlyvisible --name . 2>/dev/null); do xdotool getwindowname "$w"; done; }
named() { xdotool search --onlyvisible --name "$1" | head -n 1; }
showing() { [ -n "$(named "$1")" ]; }
gone() { [ -z "$(named "$1")" ]; }
window0() { xdotool search --onlyvisible --pid "$1" --name 'Miradex(-Grafik)?$' | head -n 1; }
haswindow0() { [ -n "$(window0 "$1")" ]; }
# Without a window manager nobody gives a dialog the keyboard, so the test does.
press() { xdotool windowfocus --sync "$(named "$1")" key "${@:2}"; }
# The question whether to replace a file has the panel's title; it is the narrower window.
question() {
    for w in $(xdotool search --onlyvisible --name '^Miradex sichern$'); do
        echo "$(xdotool getwindowgeometry "$w" | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p') $w"
    done | sort -n | head -n 1 | cut -d' ' -f2
}
asked() { [ "$(xdotool search --onlyvisible --name '^Miradex sichern$' | wc -l)" -ge 2 ]; }

start() { # start LOG ARGS...: in the output folder, log to $work/LOG
    local log=$1; shift
    (cd "$work/out" && exec "$program" "$@") >"$work/$log" 2>&1 &
    pids+=($!)
}
# Saves under the proposed name: ctrl+shift+s in window 0, Return in the panel.
save() {
    xdotool windowfocus --sync "$1" key ctrl+shift+s
    waitfor "Sichern-Dialog erscheint" showing '^Miradex sichern$'
    sleep 0.5
    press '^Miradex sichern$' Return
}

printf 'Bericht A\r' >"$work/in/a.mirdx"
printf 'Bericht B\r' >"$work/in/b.mirdx"
printf 'alter Bericht\r' >"$work/out/a.mirdx"
cp "$work/out/a.mirdx" "$work/old.mirdx"

# --- A full disk: the replace is confirmed, the write fails, an alert says so, the old file stays.
# The address sanitizer's runtime, where the program has it, then does not come first.
ASAN_OPTIONS="${ASAN_OPTIONS:-}:verify_asan_link_order=0" LD_PRELOAD=$shim MIRADEX_FAULT=nospace \
    start log1 "$work/in/a.mirdx"
waitfor "Fenster 0 erscheint" haswindow0 "${pids[0]}"
# A save chosen before the program has opened its document proposes no name, and Return does
# nothing: the test then cancels and asks again. The panel asks whether to replace a.mirdx.
for _ in 1 2 3 4 5; do
    save "$(window0 "${pids[0]}")"
    sleep 1
    asked && break
    press '^Miradex sichern$' Escape
    waitfor "Sichern-Dialog schließt" gone '^Miradex sichern$'
done
waitfor "Rückfrage zum Ersetzen" asked
# Y for Yes, J for Ja: whichever the buttons say.
for key in y j; do
    showing '^Miradex – Fehler$' && break
    xdotool windowfocus --sync "$(question)" key "$key" 2>/dev/null || true
    sleep 0.5
done
waitfor "Hinweis zum vollen Datenträger erscheint" showing '^Miradex – Fehler$'
cmp -s "$work/old.mirdx" "$work/out/a.mirdx" || fail "die alte Datei wurde verändert"
press '^Miradex – Fehler$' Return
waitfor "Hinweis schließt" gone '^Miradex – Fehler$'
kill -TERM "${pids[0]}"
waitfor "Programm endet" ended "${pids[0]}"

# --- A document that cannot be opened, handed over by a second start: an alert; the screen and
# the proposed name stay those of b.mirdx, which the save then writes.
start log2 "$work/in/b.mirdx"
waitfor "Fenster 0 erscheint" haswindow0 "${pids[1]}"
start log3 "$work/in/fehlt.mirdx"
waitfor "zweiter Start übergibt und endet" ended "${pids[2]}"
waitfor "Hinweis zur fehlenden Datei erscheint" showing '^Miradex – Fehler$'
press '^Miradex – Fehler$' Return
waitfor "Hinweis schließt" gone '^Miradex – Fehler$'
save "$(window0 "${pids[1]}")"
waitfor "Bericht unter dem alten Namen gesichert: $(ls "$work/out")" test -s "$work/out/b.mirdx"
grep -q 'Bericht B' "$work/out/b.mirdx" || fail "Inhalt von b.mirdx: $(cat "$work/out/b.mirdx")"
[ ! -e "$work/out/fehlt.mirdx" ] || fail "der Name der fehlenden Datei wurde vorgeschlagen"
echo "Alles gut."

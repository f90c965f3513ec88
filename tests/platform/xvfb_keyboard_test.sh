#!/usr/bin/env bash
# Miradex from the keyboard on a 1366 x 768 X server with a window manager (openbox), driven with
# xdotool: window 0 fills the small screen; its title names the opened and the saved document and
# tells while the output waits for a key (Pause); Ctrl+S saves, Alt+A then N and F10 reach the
# menus; the shown pasteboard window follows the clipboard; Ctrl+W on the last window minimises
# it and a second start brings it back; and neither this start nor a batch run logs a failing menu
# lookup or a line run into progress dots. Usage: xvfb_keyboard_test.sh PROGRAM PROFILES
set -euo pipefail
program=$1
profiles=$2
source "$(dirname "$0")/desktop_common.sh"
needs xvfb-run xdotool xwininfo xprop openbox
underxvfb 1366x768 "$0" "$@"
startwork

unset QT_QPA_PLATFORM QT_SCALE_FACTOR
export MIRADEX_COMMAND_PATH=$profiles MIRADEX_BENCH_ADDITIONS=1000 \
    E2E_PROFILES="$profiles/common.txt $profiles/intel.txt" MIRADEX_PUBLIC_IP_HOST= MIRADEX_MODEL_HOST=
export MIRADEX_SELFTEST_TRACE=$work/trace
touch "$work/trace"
mkdir "$work/out"
printf 'Bericht R\r' >"$work/out/r.mirdx"

openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
wmready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
waitfor "Fenstermanager läuft" wmready

failcontext() { for w in $(xdotool search --onlyvisible --name . 2>/dev/null); do xdotool getwindowname "$w"; done; }
# Window 0 is the window whose title ends in "Miradex" (the main window, titled so too, stays hidden).
window0() { xdotool search --onlyvisible --pid "$1" --name 'Miradex(-Grafik)?$' 2>/dev/null | head -n 1; }
titled() { [ "$(xdotool getwindowname "$wid")" = "$1" ]; }
shownnamed() { [ -n "$(xdotool search --onlyvisible --name "$1" 2>/dev/null)" ]; }
wmstate() { xprop -id "$wid" WM_STATE | grep -q "window state: $1"; }
traced() { grep -q "$1" "$work/trace"; }
key() { xdotool windowactivate --sync "$wid" 2>/dev/null || true; xdotool key --clearmodifiers "$@"; }

(cd "$work/out" && exec "$program" r.mirdx) >"$work/log1" 2>&1 &
pids+=($!)
first=$!
haswindow0() { [ -n "$(window0 "$first")" ]; }
waitfor "Fenster 0 erscheint" haswindow0
wid=$(window0 "$first")

# --- The opened document names window 0; window 0 fills most of the small screen.
waitfor "Titel nennt das Dokument: $(xdotool getwindowname "$wid")" titled "r.mirdx – Miradex"
height=$(xwininfo -id "$wid" | awk '/Height:/ { print $NF }')
echo "Fenster 0 ist $height Pixel hoch"
[ "$height" -ge 620 ] || fail "Fenster 0 nur $height Pixel hoch"

# --- Pause holds the new report's output, and the title says so; a key lets it go on.
key Pause
key ctrl+n
waitfor "Titel sagt angehalten: $(xdotool getwindowname "$wid")" \
    titled "angehalten – eine Taste setzt fort – Miradex"
key space
waitfor "Titel ohne Hinweis" titled "Miradex"

# --- Ctrl+S opens the save panel (once the report is done); it saves under the proposed name,
# and window 0's title names the saved document.
key ctrl+s
waitfor "Sichern-Dialog erscheint" shownnamed '^Miradex sichern$'
dialog=$(xdotool search --onlyvisible --name '^Miradex sichern$' | head -n 1)
xdotool windowactivate --sync "$dialog" key Return
saved() { ls "$work/out" | grep -v '^r.mirdx$' | grep -q '\.mirdx$'; }
waitfor "Bericht gesichert: $(ls "$work/out")" saved
name=$(ls "$work/out" | grep -v '^r.mirdx$' | grep '\.mirdx$' | head -n 1)
grep -q 'Prozessor' "$work/out/$name" || fail "gesicherter Bericht ohne Prozessor: $(cat "$work/out/$name")"
waitfor "Titel nennt das Gesicherte" titled "$name – Miradex"

# --- Alt+A, N: "Neu", and the title is the program's again.
key alt+a
sleep 0.5
xdotool key n
waitfor "Neu über Alt+A, N" titled "Miradex"

# --- F10 opens the menus; the shown pasteboard window follows what is copied then.
key F10
sleep 0.5
xdotool key Right Right Right z
waitfor "Zwischenablage erscheint" shownnamed '^Zwischenablage$'
sleep 1 # the report run of "Neu" must be done before its screen is copied
key ctrl+c
waitfor "Zwischenablage zeigt den kopierten Text: $(cat "$work/trace")" traced '^pasteboard .'

# --- Ctrl+W on each window: the last one hidden stays in the task bar, minimised.
pasteboard=$(xdotool search --onlyvisible --name '^Zwischenablage$' | head -n 1)
xdotool windowactivate --sync "$pasteboard" key --clearmodifiers ctrl+w
key ctrl+w
waitfor "Fenster 0 minimiert: $(xprop -id "$wid" WM_STATE)" wmstate Iconic
kill -0 "$first" || fail "Programm hat sich beendet"
"$program" >"$work/log2" 2>&1 || fail "zweiter Start"
waitfor "zweiter Start zeigt Fenster 0" wmstate Normal

kill -TERM "$first"
waitfor "Programm endet" ended "$first"

# --- No failing menu lookup at a window start or in a batch run; no line runs into the dots.
QT_QPA_PLATFORM=offscreen "$program" --batch --new >/dev/null 2>"$work/log3" || fail "Stapellauf"
for log in "$work/log1" "$work/log3"; do
    if grep -q 'Menu not found' "$log"; then fail "Menüsuche schlägt fehl in $log"; fi
    if grep -Eq '^[-.,]+[A-Za-z]' "$log"; then fail "Zeile nach Fortschrittspunkten in $log"; fi
done
grep -Eq '^[-.,]+$' "$work/log3" || fail "keine Fortschrittspunkte im Stapellauf"
echo "Alles gut."

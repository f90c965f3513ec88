#!/usr/bin/env bash
# Miradex as a desktop program on a real X server (1280 x 1024, no window manager), driven from
# outside with xdotool: the process name, one program per display reached by later starts, keypad
# keys with and without num lock, clicks on a shrunken picture, the save panel and file names
# that are no UTF-8. Every wait polls with a time limit. Usage: xvfb_desktop_test.sh PROGRAM
set -euo pipefail
program=$1
source "$(dirname "$0")/desktop_common.sh"
needs xvfb-run xdotool
underxvfb 1280x1024 "$0" "$@"
startwork

unset QT_QPA_PLATFORM
mkdir "$work/in" "$work/out"
export MIRADEX_SELFTEST_TRACE=$work/trace
touch "$work/trace"
failcontext() { ls -la "$work/out"; for w in $(xdotool search --onlyvisible --name . 2>/dev/null); do xdotool getwindowname "$w"; done; }
shown() { xdotool search --onlyvisible --pid "$1" >/dev/null 2>&1; }
hidden() { ! shown "$1"; }
ended() { ! kill -0 "$1" 2>/dev/null; }
traced() { grep -c "$1" "$work/trace" | grep -qx "$2"; }
window0() { xdotool search --onlyvisible --pid "$1" --name 'Miradex(-Grafik)?$' | head -n 1; }
haswindow0() { [ -n "$(window0 "$1")" ]; }
dialog() { xdotool search --onlyvisible --name '^Miradex sichern$' | head -n 1; }
showndialog() { [ -n "$(dialog)" ]; }
hiddendialog() { [ -z "$(dialog)" ]; }
# Chooses "Sichern unter" with ctrl+shift+s in the focused window and confirms the proposed name.
# Menu choices go before waiting documents, so a save chosen while the program has not yet opened
# its documents proposes no name, and Return does nothing: the test then cancels and asks again.
# Without a window manager nobody gives the panel the keyboard, so the test does.
saveoncenamed() {
    local dlg
    xdotool key ctrl+shift+s
    waitfor "Sichern-Dialog erscheint" showndialog
    for _ in 1 2 3 4; do
        dlg=$(dialog)
        [ -z "$dlg" ] && return 0
        xdotool windowfocus --sync "$dlg" key Return 2>/dev/null
        sleep 0.5
    done
    dlg=$(dialog)
    [ -z "$dlg" ] && return 0
    xdotool windowfocus --sync "$dlg" key Escape 2>/dev/null
    waitfor "Sichern-Dialog schließt" hiddendialog
    sleep 1
    return 1
}
focusandsave() { xdotool windowfocus --sync "$1" && saveoncenamed; }
# Saves window WID's report under the name the panel proposes.
savereport() { waitfor "Sichern-Dialog nimmt den vorgeschlagenen Namen an" focusandsave "$1"; }

start() { # start LOG ARGS...: in the output folder, log to $work/LOG
    local log=$1; shift
    (cd "$work/out" && exec "$program" "$@") >"$work/$log" 2>&1 &
    pids+=($!)
}

# A document whose name holds a dot and a double quote: the model name the save panel proposes.
printf 'Bericht mit Punkt\r' >"$work/in/Modell 15\" 2.5 GHz.mirdx"
printf 'Bericht A\r' >"$work/in/a.mirdx"
printf 'Bericht B\r' >"$work/in/b.mirdx"

# --- The process keeps its name, and window 0 is shown.
start log1 "$work/in/Modell 15\" 2.5 GHz.mirdx"
first=${pids[0]}
waitfor "Fenster 0 erscheint" shown "$first"
pgrep -x miradex | grep -qx "$first" || fail "pgrep -x miradex findet das Programm nicht"
waitfor "Fenster 0 zeigt das Dokument" grep -q "Graphic\|Program: Start" "$work/log1"

# --- Clicks at the corners of the picture give the corner points.
wid=$(window0 "$first")
# Probe clicks until the view stays where it is (the program thread may still size window 0).
settled() {
    xdotool mousemove --window "$wid" 200 200 click 1
    sleep 0.2
    [ "$(grep '^view ' "$work/trace" | tail -n 2 | sort -u | wc -l)" -eq 1 ] &&
        [ "$(grep -c '^view ' "$work/trace")" -ge 2 ]
}
waitfor "Bildansicht steht still" settled
probes=$(grep -c '^view ' "$work/trace")
read -r _ vx vy vw vh < <(grep '^view ' "$work/trace" | tail -n 1)
xdotool mousemove "$vx" "$vy" click 1
xdotool mousemove $((vx + vw - 1)) $((vy + vh - 1)) click 1
waitfor "Eckklicks kommen an" traced '^view ' $((probes + 2))
clicks=$(grep 'Graphic #0 window, X' "$work/log1" | tail -n 2)
echo "Bildansicht ${vw}x${vh}; $clicks"
grep -q 'X = 0, Y = 0$' <<<"$clicks" || fail "linke obere Ecke: $clicks"
grep -q 'X = 1311, Y = 799$' <<<"$clicks" || fail "rechte untere Ecke: $clicks"

# --- Keypad 8 with num lock off and on is one and the same key (keycode 80 is KP_8 / KP_Up).
# Without a window manager the window gets the keyboard from the test.
xdotool windowfocus --sync "$wid"
xdotool key 80
xdotool key Num_Lock
xdotool key 80
xdotool key Num_Lock
waitfor "Ziffernblock-Tasten kommen an: $(cat "$work/trace")" traced '^key 91 ' 2
[ "$(grep '^key 91 ' "$work/trace" | sort -u | wc -l)" -eq 1 ] ||
    fail "Ziffernblock 8 ohne und mit Num-Lock: $(grep '^key ' "$work/trace")"
grep -qx 'key 91 38 2097152' "$work/trace" || fail "Ziffernblock 8: $(grep '^key ' "$work/trace")"

# --- The save panel keeps the proposed name and adds the extension; the file opens again.
savereport "$wid"
saved="$work/out/Modell 15\" 2.5 GHz.mirdx"
waitfor "Bericht gesichert: $(ls "$work/out")" test -s "$saved"
"$program" --batch "$saved" 2>/dev/null | grep -q 'Bericht mit Punkt' || fail "gesicherter Bericht"

# --- A second start shows the program again (hiding minimises, which takes a window manager:
# xvfb_keyboard_test.sh's).
start log2
waitfor "zweiter Start übergibt und endet" ended "${pids[1]}"
wait "${pids[1]}" || fail "zweiter Start endet mit Fehler"
waitfor "Fenster 0 wieder sichtbar" haswindow0 "$first"

# --- The end of the session quits through the terminate path, its line the last.
kill -TERM "$first"
waitfor "Programm endet" ended "$first"
[ "$(grep -v '^$' "$work/log1" | tail -n 1)" = "applicationWillTerminate: Called." ] ||
    fail "letzte Zeile: $(tail -n 1 "$work/log1")"

# --- Two starts at once: one program opens both documents.
: >"$work/trace"
start log3 "$work/in/a.mirdx"
start log4 "$work/in/b.mirdx"
waitfor "beide Dokumente kommen an" traced '^file ' 2
alive() { local n=0; for pid in "$@"; do kill -0 "$pid" 2>/dev/null && n=$((n + 1)); done; echo $n; }
oneleft() { [ "$(alive "${pids[2]}" "${pids[3]}")" -eq 1 ]; }
waitfor "ein Programm bleibt" oneleft
survivor=
for pid in "${pids[2]}" "${pids[3]}"; do kill -0 "$pid" 2>/dev/null && survivor=$pid; done
waitfor "Fenster 0 des verbliebenen Programms" haswindow0 "$survivor"
# Which document the survivor opened last depends on which start got the lock first; the save
# writes that one under its own name.
saves() { find "$work/out" -name '*.mirdx' | wc -l; }
count=$(saves)
newsave() { [ "$(saves)" -gt "$count" ]; }
savereport "$(window0 "$survivor")"
waitfor "Bericht gesichert" newsave
for saved in "$work/out/a.mirdx" "$work/out/b.mirdx"; do
    [ -e "$saved" ] || continue
    grep -q "Bericht $(basename "$saved" .mirdx | tr ab AB)" "$saved" || fail "Inhalt von $saved"
done
kill -TERM "${pids[2]}" "${pids[3]}" 2>/dev/null || true

# --- A file name that is no UTF-8 opens from the command line.
name=$(printf 'Ger\xe4t.mirdx')
printf 'Bericht mit Umlaut\r' >"$work/in/$name"
"$program" --batch "$work/in/$name" 2>/dev/null | grep -q 'Bericht mit Umlaut' ||
    fail "Datei mit Byte 0xE4 im Namen"

# --- The self-test grab: once window 0 is drawn at its size, the screen, window 0's picture and
# the geometry are written and the program ends by itself.
waitfor "Programm nach zwei Starts beendet" ended "${pids[2]}"
waitfor "zweites Programm nach zwei Starts beendet" ended "${pids[3]}"
MIRADEX_SELFTEST_GRAB="$work/grab" timeout 60 "$program" >"$work/log5" 2>&1 ||
    fail "Selbsttest-Aufnahme"
for f in grab.png grab-image.png grab.txt; do [ -s "$work/$f" ] || fail "Selbsttest: $f fehlt"; done
echo "Alles gut."

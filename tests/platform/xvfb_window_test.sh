#!/usr/bin/env bash
# Window 0 on a real X server of 2800 x 1800 pixels: its picture drawn at a whole multiple of its
# size under a scale factor (sharp, never stretched one way more than the other); then under a
# window manager (openbox) the border colour after a document that changed it, a window that
# keeps its size when the window manager is asked to maximise it, and a minimised window 0 that
# a later start brings back. Every wait polls with a time limit.
# Usage: xvfb_window_test.sh PROGRAM SCREEN_TOOL
set -euo pipefail
program=$1
tool=$2
source "$(dirname "$0")/desktop_common.sh"
needs xvfb-run xdotool xwininfo xprop openbox wmctrl
underxvfb 2800x1800 "$0" "$@"
startwork

unset QT_QPA_PLATFORM QT_SCALE_FACTOR
export MIRADEX_PUBLIC_IP_HOST= MIRADEX_MODEL_HOST=

window0() { xdotool search --onlyvisible --pid "$1" --name 'Miradex(-Grafik)?$' 2>/dev/null | head -n 1; }
haswindow0() { [ -n "$(window0 "$1")" ]; }
nowindow0() { [ -z "$(window0 "$1")" ]; }
geometry() { xwininfo -id "$1" | grep -E "Absolute|Width|Height" | tr -s ' \n' ' '; }
start() { # start LOG ARGS...: log to $work/LOG
    local log=$1; shift
    "$program" "$@" >"$work/$log" 2>&1 &
    pids+=($!)
}

# A report of 24 lines of different text, and one whose control codes turn the border blue.
for i in $(seq 1 24); do printf 'Zeile %02d: Miradex-Bericht %s\r' "$i" "$(printf '%*s' "$i" | tr ' ' '#')"; done \
    >"$work/bericht.mirdx"
printf 'Blau\033p\r' >"$work/blau.mirdx"

# --- A scale factor: the picture at 2 x 2 device pixels per pixel at factor 2 and at 1.5 (window 0
# takes the largest whole multiple the screen has room for), found pixel for pixel on the grabbed
# screen.
for pair in 2:2 1.5:2; do
    factor=${pair%:*} multiple=${pair#*:}
    QT_SCALE_FACTOR=$factor MIRADEX_SELFTEST_GRAB="$work/scale$factor" timeout 60 \
        "$program" "$work/bericht.mirdx" >"$work/log-scale$factor" 2>&1 || fail "Selbsttest bei Faktor $factor"
    at=$("$tool" find "$work/scale$factor.png" "$work/scale$factor-image.png" "$multiple") ||
        fail "Bild bei Faktor $factor nicht $multiple-fach gefunden: $(cat "$work/scale$factor.txt")"
    echo "Faktor $factor: Bild $multiple-fach bei $at"
done

# --- Under a window manager.
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
wmready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
waitfor "Fenstermanager läuft" wmready

# A document that turns the border blue leaves it grey once it is shown.
start log1 "$work/blau.mirdx"
first=${pids[-1]}
waitfor "Fenster 0 erscheint" haswindow0 "$first"
wid=$(window0 "$first")
# The bottom left corner of window 0's content, where the border is.
corner() {
    xwininfo -id "$wid" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
        /Height:/ { h = $NF } END { print x + 4, y + h - 4 }'
}
border() { "$tool" grab "$work/border.png" && "$tool" pixel "$work/border.png" $(corner); }
bordergrey() { [ "$(border)" = "84,84,84" ]; }
sleep 1
waitfor "Rand grau: $(border)" bordergrey

# Asked to maximise, window 0 keeps its size, and the report is on the screen, each pixel 2 x 2
# (up to the cursor's cell).
before=$(geometry "$wid")
wmctrl -i -r "$wid" -b add,maximized_vert,maximized_horz
sleep 1
after=$(geometry "$wid")
[ "$before" = "$after" ] || fail "Fenster 0 nach Maximieren: $before -> $after"
xprop -id "$wid" _NET_WM_STATE | grep -q MAXIMIZED && fail "Fenster 0 maximiert"
QT_QPA_PLATFORM=offscreen "$program" --batch --png "$work/bericht.png" "$work/bericht.mirdx" \
    >/dev/null 2>&1 || fail "Bild des Berichts"
start log2 "$work/bericht.mirdx"
waitfor "Übergabe endet" ended "${pids[-1]}"
reportshown() { "$tool" grab "$work/max.png" && "$tool" find "$work/max.png" "$work/bericht.png" 2 512 >/dev/null; }
waitfor "Bericht vollständig sichtbar" reportshown

# A minimised window 0 comes back with the next start's documents.
xdotool windowminimize --sync "$wid"
waitfor "Fenster 0 minimiert" nowindow0 "$first"
start log3 "$work/bericht.mirdx"
waitfor "Übergabe endet" ended "${pids[-1]}"
waitfor "Fenster 0 wieder da" haswindow0 "$first"
xprop -id "$wid" WM_STATE | grep -q Normal || fail "Fenster 0: $(xprop -id "$wid" WM_STATE)"

kill -TERM "$first"
waitfor "Programm endet" ended "$first"
echo "Alles gut."

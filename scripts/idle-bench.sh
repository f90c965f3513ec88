#!/usr/bin/env bash
# Measures what Miradex costs while it does nothing: starts it under Xvfb with window 0 shown and no
# report, waits for it to settle, then reads the processor time (user + system, from
# /proc/PID/stat) that the program, each of its threads and the X server use over a span.
# Processor time, not wall-clock load, so that other work on the machine does not count.
#
#   scripts/idle-bench.sh [PROGRAM] [SETTLE_SECONDS] [MEASURE_SECONDS]
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
program="${1:-$here/build/Miradex.app/Contents/MacOS/miradex}"
settle="${2:-5}"
span="${3:-30}"

if [[ "${1:-}" != "--inside" ]]; then
    command -v xvfb-run >/dev/null || { echo "xvfb-run is missing (apt-get install xvfb)" >&2; exit 1; }
    exec xvfb-run -a -s "-screen 0 1920x1080x24" "$0" --inside "$program" "$settle" "$span"
fi
program="$2" settle="$3" span="$4"

# Clock ticks of user plus system time in a /proc stat file (fields 14 and 15 after the name).
ticks() { awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "$1" 2>/dev/null || echo 0; }

home="$(mktemp -d)"
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$home"' EXIT
HOME="$home" XDG_RUNTIME_DIR="$home" "$program" >/dev/null 2>&1 &
pid=$!
xserver="$(pgrep -f "^Xvfb $DISPLAY( |$)" | head -n 1)"
sleep "$settle"
kill -0 "$pid" || { echo "the program ended during the settling time" >&2; exit 1; }

declare -A before
for task in /proc/"$pid"/task/*; do before[$task]="$(ticks "$task/stat")"; done
program_before="$(ticks /proc/"$pid"/stat)"
server_before="$(ticks /proc/"$xserver"/stat)"
sleep "$span"
program_after="$(ticks /proc/"$pid"/stat)"
server_after="$(ticks /proc/"$xserver"/stat)"

hz="$(getconf CLK_TCK)"
percent() { awk -v t="$1" -v hz="$hz" -v s="$span" 'BEGIN { printf "%.3f", 100 * t / hz / s }'; }
echo "idle over $span s after $settle s (processor time, % of one core):"
echo "  program  $(percent $((program_after - program_before)))"
for task in /proc/"$pid"/task/*; do
    [[ -n "${before[$task]:-}" ]] || continue
    name="$(cat "$task/comm" 2>/dev/null || echo '?')"
    echo "    thread $(printf '%-20s' "$name") $(percent $(($(ticks "$task/stat") - before[$task])))"
done
echo "  X server $(percent $((server_after - server_before)))"

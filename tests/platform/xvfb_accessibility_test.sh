#!/usr/bin/env bash
# Miradex read as a screen reader reads it: the desktop program on an X server of its own, with
# a session bus and the accessibility bus, asked over AT-SPI what window 0 holds after "Neu" and
# after a saved report was opened (xvfb_accessibility_test.py). Skipped without xvfb-run,
# dbus-run-session, the accessibility bus or pyatspi. Usage: xvfb_accessibility_test.sh PROGRAM
set -euo pipefail
program=$1
here=$(cd "$(dirname "$0")" && pwd)
# Debian's Python, which Debian's pyatspi belongs to, whatever other Python comes first on the PATH.
python=/usr/bin/python3
for tool in xvfb-run dbus-run-session "$python"; do
    command -v "$tool" >/dev/null || { echo "$tool fehlt: übersprungen"; exit 77; }
done
[ -x /usr/libexec/at-spi-bus-launcher ] || { echo "at-spi2-core fehlt: übersprungen"; exit 77; }
"$python" -c 'import pyatspi' 2>/dev/null || { echo "python3-pyatspi fehlt: übersprungen"; exit 77; }

# The X server's cookie stays in the test's own folder, out of reach of other runs' clean-ups.
if [ -z "${MIRADEX_A11Y_WORK:-}" ]; then
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    export MIRADEX_A11Y_WORK=$work
    timeout 240 xvfb-run -a -n $((100 + RANDOM % 400)) -f "$work/Xauthority" \
        -s "-screen 0 1280x1024x24 -nolisten tcp" dbus-run-session -- "$0" "$@"
    exit
fi

unset QT_QPA_PLATFORM
work=$MIRADEX_A11Y_WORK
mkdir -m 700 "$work/run"
export XDG_RUNTIME_DIR=$work/run HOME=$work QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
"$python" "$here/xvfb_accessibility_test.py" "$program" "$here/../e2e/profiles" "$work"

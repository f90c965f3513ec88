#!/usr/bin/env bash
# Starts Miradex on a fresh X server with one screen and lets it grab its own window 0 once that
# is drawn (MIRADEX_SELFTEST_GRAB): writes PREFIX.png, PREFIX-image.png and PREFIX.txt.
# Usage: xvfb_selftest.sh PROGRAM SCREEN PREFIX, SCREEN as WIDTHxHEIGHTxDEPTH.
set -euo pipefail
program=$1
screen=$2
prefix=$3
# The X server's display, not the offscreen platform that the other tests use.
unset QT_QPA_PLATFORM
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
# A runtime directory of its own: no other Miradex of the same user takes the start over.
XDG_RUNTIME_DIR="$runtime" MIRADEX_SELFTEST_GRAB="$prefix" \
    timeout 120 xvfb-run -a -s "-screen 0 $screen -nolisten tcp" "$program"

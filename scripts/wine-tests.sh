#!/usr/bin/env bash
# Runs the Windows build's tests (build/windows) under Wine, in the build's own Wine prefix, on
# an Xvfb display (DDE and windows need one). The prefix's wineserver, which the build's test
# discovery may have started without a display, is ended first, and again at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
export WINEPREFIX="$PWD/build/windows/wineprefix"
# -w: until it has gone, or the first test finds a dying server and hangs on it.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
status=0
xvfb-run -a ctest --preset windows "$@" || status=$?
wineserver -k 2>/dev/null || true
exit $status

#!/bin/sh
# wine-run.sh PREFIX PROGRAM ARGS...: runs a Windows program of the build under Wine in the Wine
# prefix PREFIX, made on first use. A persistent wineserver is started first, detached from this
# program's output (a server that inherits the pipe of a test runner keeps it waiting), and a
# new prefix is made under a lock (cold parallel starts of Wine race). The server stays ten
# minutes after its last program.
set -eu
prefix=$1
shift
export WINEPREFIX="$prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installer dialogs: nothing here uses .NET or the HTML engine.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)

mkdir -p "$prefix"
(
    flock 9
    # Neither the server nor the services it starts (winedevice, explorer, ...) may keep the
    # lock's file or this program's output: a new server's services are started here, by a
    # wineboot of their own, and not by the first program, whose pipe they would inherit.
    if wineserver -p600 </dev/null >/dev/null 2>&1 9>&-; then
        if [ -d "$prefix/drive_c/windows" ]; then
            "$wine" wineboot.exe </dev/null >/dev/null 2>&1 9>&-
        else
            "$wine" wineboot.exe --init </dev/null >/dev/null 2>&1 9>&-
        fi
        # One program started and ended before any other: two first programs of a new server
        # at once can leave one of them hanging.
        "$wine" cmd.exe /c exit </dev/null >/dev/null 2>&1 9>&-
    fi
) 9>"$prefix.lock"
exec "$wine" "$@"

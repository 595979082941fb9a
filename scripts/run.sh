#!/usr/bin/env bash
# Sets up and builds Kestrune, then opens the window on the bundled element sets of 2025-05-28
# with settings of its own (build/demo, never the user's): Edinburgh, receiver type DDE (no
# hardware), and the program's clock started a minute before a real pass of the sample data, so
# that the whole pass runs: the countdown, the channel switch, the tracking string, the pause
# after it. Without a display it runs kestrune-station on the same demonstration through the
# pass instead. With arguments it runs kestrune-predict on the sample data with them.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh release
bin=build/release/bin
tle="$PWD/data/tle/"

if [ $# -gt 0 ]; then
    exec "$bin/kestrune-predict" --tle-dir "$tle" --lat 55.9 --lon -3.2 --height 180 \
        --start 20250528120000 --days 3 "$@"
fi

# The demonstration's satellites: the three NOAA satellites of the sample data, both ways, any
# pass of five minutes or more. The first pass of at most ten minutes after noon is the one to
# watch; the clock starts a minute before it.
sats=(--sat "NOAA 19,B,300" --sat "NOAA 18,B,300" --sat "NOAA 15,B,300")
pass=$("$bin/kestrune-predict" --tle-dir "$tle" --lat 55.9 --lon -3.2 --height 180 \
    --start 20250528120000 --days 1 "${sats[@]}" | awk '$5 <= 600 { print; exit }')
if [ -z "$pass" ]; then
    echo "run.sh: no pass found in the sample data" >&2
    exit 1
fi
read -r start _ _ _ length _ <<<"$pass"
clock=$(date -u -d "${start:0:8} ${start:8:2}:${start:10:2}:${start:12:2} UTC 60 seconds ago" \
    +%Y%m%d%H%M%S)
echo "Demonstration: $pass"
echo "The program's clock starts at $clock UTC, a minute before the pass."

demo="$PWD/build/demo"
rm -rf "$demo"
mkdir -p "$demo/config/Quillmere" "$demo/state" "$demo/run"
chmod 700 "$demo/config" "$demo/config/Quillmere" "$demo/run"
cat >"$demo/config/Quillmere/HKEY_CURRENT_USER.reg" <<EOF
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\\Software\\Quillmere\\Kestrune]
"TleDataPath"="$tle"
"RxType"=dword:00000000
"SatList"="\\"NOAA_19,B,300\\",\\"NOAA_18,B,300\\",\\"NOAA_15,B,300\\""
EOF
export XDG_CONFIG_HOME="$demo/config" XDG_STATE_HOME="$demo/state" XDG_RUNTIME_DIR="$demo/run"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "Opening the window; the pass starts in about a minute (the Timer tab shows it)."
    exec "$bin/Kestrune" --clock-start "$clock"
fi
echo "No display: running kestrune-station on the same demonstration through the pass."
timeout --signal=TERM $((length + 90)) "$bin/kestrune-station" --clock-start "$clock" ||
    [ $? -eq 124 ]

#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR under /usr, runs the installed programs on the
# installed sample data with a home folder of their own, and checks that they found their
# component in the installed layout and wrote nothing outside the user's XDG folders.
# Usage: InstallTest.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

DESTDIR="$work/root" cmake --install "$build" --prefix /usr >/dev/null
usr="$work/root/usr"
for file in bin/Kestrune bin/kestrune-station bin/kestrune-predict lib/kestrune/QmrSatLib.so \
    share/kestrune/tle/weather.txt share/applications/kestrune.desktop \
    share/man/man1/kestrune-station.1.gz share/doc/kestrune/station.md \
    lib/systemd/user/kestrune-station.service; do
    [ -e "$usr/$file" ] || { echo "not installed: $file"; exit 1; }
done
grep -qx "ExecStart=/usr/bin/kestrune-station" "$usr/lib/systemd/user/kestrune-station.service" ||
    { echo "the unit does not start the installed station"; exit 1; }

mkdir -p "$work/home" "$work/run"
chmod 700 "$work/run"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
    XDG_STATE_HOME="$work/home/.local/state" XDG_RUNTIME_DIR="$work/run"
touch "$work/stamp"
sleep 1 # so that anything written afterwards is newer than the stamp

"$usr/bin/kestrune-predict" --tle-dir="$usr/share/kestrune/tle" --lat 55.9 --lon -3.2 \
    --height 180 --start 20250528120000 --days 1 --sat "NOAA 19" >"$work/passes"
grep -q " NOAA 19$" "$work/passes" || { echo "no passes:"; cat "$work/passes"; exit 1; }
for program in kestrune-station kestrune-predict Kestrune; do
    [ "$("$usr/bin/$program" --version)" = "$program $version" ] ||
        { echo "$program --version is not $version"; exit 1; }
done

written=$(find "$work/root" "$work/home" -newer "$work/stamp" \
    -not -path "$XDG_CONFIG_HOME*" -not -path "$XDG_STATE_HOME*" -not -path "$work/home")
if [ -n "$written" ]; then
    echo "written outside the XDG folders:"
    echo "$written"
    exit 1
fi
echo "installed and ran from $usr"

#!/usr/bin/env bash
# windows-installer-test.sh INSTALLER: the Windows installer under Wine, in a Wine prefix of its
# own: a silent install for the user (files, Start-menu entry, uninstall entry), both programs
# start and answer, then a silent uninstall that removes them and leaves the settings key.
set -euo pipefail
installer=$(realpath "$1")
work=$(mktemp -d)
trap 'WINEPREFIX=$work/prefix wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)
"$wine" wineboot.exe --init >/dev/null 2>&1
"$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null

fail() { echo "installer test: $*" >&2; exit 1; }
user=$(ls "$WINEPREFIX/drive_c/users" | grep -v -x Public | head -1)
home="$WINEPREFIX/drive_c/users/$user"
dir="$home/AppData/Local/Programs/Kestrune"
menu="$home/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Kestrune"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrune'

"$wine" "$installer" /S
for file in Kestrune.exe kestrune-station.exe Uninstall.exe doc/README.md tle; do
    [ -e "$dir/$file" ] || fail "no $file in $dir"
done
[ -e "$menu/Kestrune.lnk" ] || fail "no Start-menu entry in $menu"
"$wine" reg query "$key" /v UninstallString >/dev/null || fail "no uninstall entry $key"
version=$("$wine" "$dir/Kestrune.exe" --version | tr -d '\r')
[[ $version == Kestrune\ * ]] || fail "Kestrune.exe --version said '$version'"
version=$("$wine" "$dir/kestrune-station.exe" --version | tr -d '\r')
[[ $version == kestrune-station\ * ]] || fail "kestrune-station.exe --version said '$version'"

# The window's settings, and the schedule file it writes beside itself.
"$wine" reg add 'HKCU\Software\Quillmere\Kestrune' /v PrePassGap /t REG_DWORD /d 7 /f >/dev/null
echo schedule > "$dir/Schedule.txt"
"$wine" "$dir/Uninstall.exe" /S
# The uninstaller runs from a copy of itself and returns at once: wait for it.
for _ in $(seq 60); do [ -e "$dir" ] || break; sleep 1; done
[ ! -e "$dir" ] || fail "left behind: $(cd "$dir" && find . | head)"
[ ! -e "$menu" ] || fail "the Start-menu entry is left"
! "$wine" reg query "$key" >/dev/null 2>&1 || fail "the uninstall entry is left"
"$wine" reg query 'HKCU\Software\Quillmere\Kestrune' /v PrePassGap | grep -q 0x7 ||
    fail "the settings went with the programs"
echo "installer test: installed into $dir, both programs ran, uninstalled; the settings stay"

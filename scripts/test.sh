#!/usr/bin/env bash
# Sets up and builds Kestrune with warnings as errors, checks the formatting, gives each fuzz
# target a short run (FUZZ_SECONDS, default 20), runs every test, then builds with the address
# and undefined-behaviour sanitizers and runs every test again, then cross-builds for Windows and
# runs the Windows tests under Wine, and makes the installer and installs, runs and uninstalls it
# under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh dev
scripts/format.sh --check
scripts/fuzz.sh "${FUZZ_SECONDS:-20}"
ctest --preset dev
scripts/setup.sh asan
ctest --preset asan
scripts/setup.sh windows
scripts/wine-tests.sh
(cd build/windows && cpack >/dev/null)
scripts/windows-installer-test.sh build/windows/Kestrune-*-win64.exe

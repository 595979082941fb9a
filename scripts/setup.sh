#!/usr/bin/env bash
# Installs what Kestrune needs on Debian 12 (run as root; does nothing when everything is there
# already), then configures and builds the given preset (default: dev; windows cross-builds for
# Windows). The release preset, the
# programs alone, needs only the compiler and the libraries; the others build the tests too and
# also need the test and benchmark libraries, clang for the fuzz targets and clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."

preset=${1:-dev}
if [ "$preset" = windows ]; then
    # The Windows build: mingw-w64's POSIX-threads compiler, GoogleTest's sources, Wine to run
    # the tests, Xvfb for those that need a display, Python for the COM-port test's terminal,
    # NSIS for the installer.
    packages=(cmake make g++-mingw-w64-x86-64-posix googletest wine wine64 xvfb xauth python3 nsis)
else
    packages=(cmake make g++ pkg-config qt6-base-dev libcurl4-openssl-dev)
fi
if [ "$preset" != release ] && [ "$preset" != windows ]; then
    packages+=(libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev clang-format)
fi
missing=()
for p in "${packages[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi

cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"

#!/usr/bin/env bash
# Installs what Kestrune needs to build and test on Debian 12 (run as root; does nothing when
# everything is there already), then configures and builds the given preset (default: dev).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake make g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev libsystemd-dev pkg-config xvfb xauth)
missing=()
for p in "${packages[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi

preset=${1:-dev}
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"

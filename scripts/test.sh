#!/usr/bin/env bash
# Sets up and builds Kestrune with warnings as errors, gives each fuzz target a short run
# (FUZZ_SECONDS, default 30), then runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh dev
scripts/fuzz.sh "${FUZZ_SECONDS:-30}"
ctest --preset dev

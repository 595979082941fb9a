#!/usr/bin/env bash
# Sets up and builds Kestrune, then predicts three days of passes over Edinburgh from the
# bundled element sets (2025-05-28) with the command-line predictor.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh release
exec build/release/bin/kestrune-predict --tle-dir data/tle --lat 55.9 --lon -3.2 --height 180 \
    --start 20250528120000 --days 3 \
    --sat "METEOR-M2 3" --sat "METEOR-M2 4" --sat "NOAA 19,N,720" --sat "NOAA 18,N,720" \
    "$@"

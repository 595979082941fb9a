#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for the given number of seconds
# (default 30), starting from its seed folder tests/fuzz/NAME-seeds when there is one.
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
shift || true
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    mapfile -t targets < <(find build/fuzz/bin -maxdepth 1 -type f -name '*_fuzzer' -printf '%f\n' | sort)
fi
if [ ${#targets[@]} -eq 0 ]; then
    echo "fuzz: no targets"
    exit 0
fi
status=0
for target in "${targets[@]}"; do
    name=${target%_fuzzer}
    work=$(mktemp -d)
    mkdir "$work/corpus"
    seeds=()
    [ -d "tests/fuzz/$name-seeds" ] && seeds=("$PWD/tests/fuzz/$name-seeds")
    if (cd "$work" && "$OLDPWD/build/fuzz/bin/$target" -max_total_time="$seconds" -timeout=10 \
            -rss_limit_mb=2048 -print_final_stats=1 corpus "${seeds[@]}" >log 2>&1); then
        runs=$(grep -m1 '^stat::number_of_executed_units' "$work/log" | awk '{print $2}')
        echo "fuzz: $target: ${runs:-?} runs in ${seconds}s, no failure"
    else
        echo "fuzz: $target FAILED; the end of its output:"
        tail -n 60 "$work/log"
        cp "$work"/crash-* "$work"/timeout-* "$work"/oom-* "$work"/leak-* . 2>/dev/null || true
        status=1
    fi
    rm -rf "$work"
done
exit $status

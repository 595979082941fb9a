#!/usr/bin/env bash
# Formats every C++ file of the tree (tracked, or new and not ignored) with clang-format; with
# --check only says which ones are not formatted and fails if there are any.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files --cached --others --exclude-standard '*.cpp' '*.h')
if [ "${1:-}" = "--check" ]; then
    clang-format --dry-run -Werror "${files[@]}"
    echo "format: ${#files[@]} files formatted"
else
    clang-format -i "${files[@]}"
fi

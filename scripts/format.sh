#!/usr/bin/env bash
# Rewrites every C++ file in the project to the house format.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h' | while read -r f; do
    [ -f "$f" ] && clang-format -i "$f"
done

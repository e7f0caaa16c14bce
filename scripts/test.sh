#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and UndefinedBehaviorSanitizer
# (warnings are errors), the benchmarks included so a broken one fails here (they are built, not
# run), and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
build=${VEREDIVO_TEST_BUILD:-build/test}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DVEREDIVO_SANITIZE=ON -DVEREDIVO_WERROR=ON -DVEREDIVO_TESTS=ON -DVEREDIVO_BENCH=ON
cmake --build "$build"
# A hang fails fast: tests without a timeout of their own get five minutes.
ctest --test-dir "$build" --output-on-failure --timeout 300 -j "$(nproc)" "$@"

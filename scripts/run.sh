#!/usr/bin/env bash
# Installs what is missing, builds the program folder and starts the program in it. Without a
# display the program runs under a virtual X server.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
build=${VEREDIVO_RUN_BUILD:-build/release}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEREDIVO_TESTS=OFF
cmake --build "$build"
program="$build/program/veredivo"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1600x1000x24" "$program" "$@"
fi
exec "$program" "$@"

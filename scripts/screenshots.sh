#!/usr/bin/env bash
# Renders every window and printed page of the program to PNG under a virtual X server, so they
# can be looked at as an agent sees them:  scripts/screenshots.sh [OUTDIR]  (default
# build/screenshots). Each file in scripts/screenshots.d/ renders one area; it is run with
#   SHOT_OUT      the output folder (absolute)
#   SHOT_BUILD    the build folder (absolute), whose program/ folder holds the program
# and a display of 1400x1000 pixels.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
out=${1:-build/screenshots}
build=${VEREDIVO_SHOT_BUILD:-build/release}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEREDIVO_TESTS=OFF >/dev/null
cmake --build "$build"
mkdir -p "$out"
export SHOT_OUT SHOT_BUILD
SHOT_OUT=$(realpath "$out")
SHOT_BUILD=$(realpath "$build")
status=0
for piece in scripts/screenshots.d/*.sh; do
    [ -e "$piece" ] || continue
    echo "== $piece"
    if ! xvfb-run -a -s "-screen 0 1400x1000x24" bash "$piece"; then
        echo "$piece failed" >&2
        status=1
    fi
done
ls "$SHOT_OUT"
exit $status

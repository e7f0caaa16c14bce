#!/usr/bin/env bash
# Builds the program folder without sanitizers and makes the Debian package of it:
#   scripts/package.sh   ->  build/release/package/veredivo_VERSION_amd64.deb
# Install it with `sudo apt install ./build/release/package/veredivo_*.deb`, remove it with
# `sudo apt remove veredivo`.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
build=${VEREDIVO_PACKAGE_BUILD:-build/release}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEREDIVO_TESTS=OFF
cmake --build "$build"
cpack --config "$build/CPackConfig.cmake" -B "$build/package"
dpkg-deb --info "$build"/package/veredivo_*.deb

#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the program need.
# Safe to run again: apt skips what is already there.
set -euo pipefail

packages=(
    build-essential cmake ninja-build ccache pkg-config clang clang-format libclang-rt-14-dev
    qt6-base-dev qt6-base-dev-tools libqt6svg6-dev qt6-svg-dev qt6-webengine-dev
    qt6-webengine-dev-tools libgl-dev
    libpugixml-dev libsimpleini-dev libzip-dev zlib1g-dev nlohmann-json3-dev libgmime-3.0-dev
    libgtest-dev libgmock-dev googletest libbenchmark-dev libsqlite3-dev
    poppler-utils xvfb xauth fonts-liberation2 xdg-utils
    python3 python3-dbfread python3-flask libdbd-xbase-perl
    libreoffice-writer-nogui
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"

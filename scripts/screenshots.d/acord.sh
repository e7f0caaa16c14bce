#!/usr/bin/env bash
# The ACORD window: the workers compensation application, the pool application and the finance
# agreement of a rated MA and a rated NJ quote, every page as the window shows it.
set -euo pipefail
out="$SHOT_OUT/acord"
settings=$(mktemp -d)
trap 'rm -rf "$settings"' EXIT
mkdir -p "$out"
printf '[Acord]\r\nZoom=100\r\n' > "$settings/QORAcord.ini"
VEREDIVO_SETTINGS_DIR="$settings" "$SHOT_BUILD/tools/acordshot/acordshot" \
    "$SHOT_BUILD/program" "$out"

#!/usr/bin/env bash
# The class windows: class selection with classes and exception payrolls, search results, the
# three class line dialogs, the user class setup and the deviations window. They work on a
# copy of the program folder (a user sub-class is stored in it).
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$SHOT_BUILD/program/Data" "$work/Data"
VEREDIVO_SETTINGS_DIR="$work/settings" "$SHOT_BUILD/tools/class-shots/veredivo-class-shots" \
    "$work/" "$SHOT_OUT"

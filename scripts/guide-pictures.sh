#!/usr/bin/env bash
# Renders the program's windows (scripts/screenshots.sh) and copies the pictures the user guide
# shows into data/docs/guide/, where the build takes them into the program folder's docs/guide/.
set -euo pipefail
cd "$(dirname "$0")/.."
out=build/screenshots
./scripts/screenshots.sh "$out"
for picture in main-window-ma main-window-nj customer-dialog premium-detail-ma down-payment \
    effective-date load-quotation printing-options-acord wcrib-submit classes-selection; do
    cp "$out/$picture.png" "data/docs/guide/$picture.png"
done

#!/usr/bin/env bash
# The quote windows: the main window with a Massachusetts and a New Jersey quote, the customer
# dialog, the File menu and "Printing Options", Premium Detail, Down Payment, Effective Date,
# Load Quotation and Select Customer.
set -euo pipefail
cmake --build "$SHOT_BUILD" --target veredivo-shots >/dev/null
"$SHOT_BUILD/tools/screenshots/veredivo-shots" "$SHOT_OUT"

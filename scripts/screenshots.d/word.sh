#!/usr/bin/env bash
# The pool application in Word: the "Word Integration" window, the About window, and the filled
# document of a rated broker 5 MA quote rendered by LibreOffice (when installed) to PNG.
set -euo pipefail
out="$SHOT_OUT/word"
mkdir -p "$out"
"$SHOT_BUILD/tools/windowshot/windowshot" "$SHOT_BUILD/program" "$out"
if ! command -v soffice >/dev/null; then
    echo "LibreOffice is not installed: the filled pool application is not rendered" >&2
    exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/settings"
printf '[General]\nUse2003MAAppNot2007=0\n' > "$work/settings/QORWC.ini"
cat > "$work/quote.json" <<'JSON'
{ "state": "MA", "broker": 5, "effective": "07/01/2026",
  "customer": { "company": "Ashby Bakery", "first": "Lee", "last": "Ashby",
                "street": "4 Mill Rd", "city": "Lowell", "state": "MA", "zip": "01852",
                "work": "(978) 555-0199" },
  "quote": { "street": "4 Mill Rd", "city": "Lowell", "state": "MA", "zip": "01852" },
  "classes": [ { "code": "5183", "payroll": 100000, "employees": 4 },
               { "code": "8810", "payroll": 40000, "employees": 2 },
               { "code": "9015", "payroll": 30000, "employees": 1 } ] }
JSON
VEREDIVO_SETTINGS_DIR="$work/settings/" "$SHOT_BUILD/program/veredivo-rate" \
    --pool-docx "$work/pool-application.docx" "$work/quote.json" >/dev/null
soffice "-env:UserInstallation=file://$work/profile" --headless --norestore \
    --convert-to pdf --outdir "$work" "$work/pool-application.docx" >/dev/null 2>&1
pdftoppm -r 100 -png "$work/pool-application.pdf" "$out/pool-application"
ls "$out"

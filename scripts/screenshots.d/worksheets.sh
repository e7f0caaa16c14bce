#!/usr/bin/env bash
# Quote worksheets: the PDF page of an MA, an NJ, a broker-5 MA quote (with its payment terms)
# and a 20-class MA quote, written by the rating command and rendered at 100 dpi.
set -euo pipefail
rate="$SHOT_BUILD/program/veredivo-rate"
out="$SHOT_OUT/worksheets"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"
agency='"agency": { "name": "Harbor Insurance Agency", "attn": "Attn: Dana Whitcomb",
  "street": "12 Water St", "city": "Salem", "state": "MA", "zip": "01970",
  "phone": "(978)555-0100", "fax": "(978)555-0101" }'
cat > "$work/ma.json" <<JSON
{ "state": "MA", "effective": "07/01/2026",
  "classes": [ { "code": "5183", "payroll": 90000, "employees": 4 },
               { "code": "8810", "payroll": 30000, "employees": 2 },
               { "code": "8742", "payroll": 0 } ],
  "inputs": { "lstMerit": "-5", "lstMedical": "1000", "txtARAP": "1.10" },
  "customer": { "company": "Ashby Bakery" }, $agency }
JSON
cat > "$work/nj.json" <<JSON
{ "state": "NJ", "effective": "07/01/2026",
  "classes": [ { "code": "5645", "payroll": 150000, "employees": 5 },
               { "code": "5403", "payroll": 60000, "employees": 3 },
               { "code": "8810", "payroll": 40000, "employees": 2 } ],
  "inputs": { "lstPartTwo": "500/500/500", "txtExpMod": "1.08", "txtConstCredit": "12",
              "txtManagedCare": "0.95" },
  "customer": { "company": "Pine Barrens Framing" }, $agency }
JSON
cat > "$work/ma-terms.json" <<JSON
{ "state": "MA", "broker": 5, "effective": "07/01/2026",
  "classes": [ { "code": "5645", "payroll": 250000, "employees": 6 },
               { "code": "8810", "payroll": 60000, "employees": 2 } ],
  "inputs": { "txtExpMod": "0.92" },
  "customer": { "company": "Cape Ann Roofing and Siding Company" }, $agency }
JSON
classes=""
payroll=20000
for code in 0042 2003 2585 2802 3085 3179 3400 3632 3724 4299 4361 5022 5040 5057 5183 5190 \
    5213 5221 5403 5437; do
    classes+="${classes:+, }{ \"code\": \"$code\", \"payroll\": $payroll, \"employees\": 3 }"
    payroll=$((payroll + 37500))
done
cat > "$work/ma-20.json" <<JSON
{ "state": "MA", "effective": "07/01/2026", "classes": [ $classes ],
  "customer": { "company": "Merrimack Valley Building and Trades Cooperative" }, $agency }
JSON
"$rate" --pdf "$out" "$work/ma.json" "$work/nj.json" "$work/ma-terms.json" "$work/ma-20.json" \
    >/dev/null
for pdf in "$out"/*.pdf; do
    pdftoppm -r 100 -png -singlefile "$pdf" "${pdf%.pdf}"
done

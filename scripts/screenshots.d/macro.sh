#!/usr/bin/env bash
# The bureau prefill as an agent sees it: the macro browser in the middle of the run, the window
# that asks for a missing value, and "WCRIB Prefill Complete". veredivo-macro runs the delivered
# script "MA_WCRIB" against the simulated bureau site of the tests, on 127.0.0.1.
set -euo pipefail
work=$(mktemp -d)
cleanup() {
    exec 3>&- || true
    rm -rf "$work"
}
trap cleanup EXIT

# The site ends when its standard input (descriptor 3 here) closes.
exec 3> >(exec /usr/bin/python3 tests/macro/site/wcrib_site.py --port 0 > "$work/site.out")
for _ in $(seq 1 100); do
    grep -q '^PORT ' "$work/site.out" 2>/dev/null && break
    sleep 0.2
done
port=$(awk '/^PORT /{print $2}' "$work/site.out")
/usr/bin/python3 - "$port" <<'PY'
import json, sys, urllib.request
account = [{"user": "agent7", "password": "Bay-State#2718", "agency": "Lee Insurance Agency"}]
request = urllib.request.Request("http://127.0.0.1:%s/_test/accounts" % sys.argv[1],
                                 data=json.dumps(account).encode(), method="POST")
urllib.request.urlopen(request).read()
PY

# The site's address lives in the script: a copy points at the simulated site.
cp -r "$SHOT_BUILD/program/Data/Scripts" "$work/Scripts"
sed -i "s|<StartURL>[^<]*</StartURL>|<StartURL>http://127.0.0.1:$port/</StartURL>|" \
    "$work/Scripts/MA_WCRIB.xml"
effective=$(date -d "+30 days" +%m/%d/%Y)
cat > "$work/data.txt" <<DATA
WCRIB_USER_ID=agent7
WCRIB_PASSWORD=Bay-State#2718
WC_COMPANY_NAME=Acme Roofing & Siding
WC_CONTACT_FIRST_NAME=Ann
WC_CONTACT_LAST_NAME=Lee
WC_MAILING_STREET=12 Harbor St
WC_MAILING_CITY=Boston
WC_MAILING_STATE=MA
WC_MAILING_ZIP=02134
WC_PHONE=(617)555-0142
WC_LOCATION_STREET=40 Dock Rd
WC_LOCATION_CITY=Gloucester
WC_LOCATION_STATE=MA
WC_LOCATION_ZIP=01930
WC_EFFECTIVE_DATE=$effective
WC_LOCATION_COUNT=3
BUSINESS_TYPE=Corporation
WC_TAX_ID=04-3141592
WC_AGENCY_NAME=Lee Insurance Agency
CLASS_1=5551,120000,6
CLASS_2=8810,45000,2
CLASS_3=7380,60000,3
DATA
"$SHOT_BUILD/program/veredivo-macro" --shots "$SHOT_OUT" --shot-step 150 \
    "$work/Scripts/" MA_WCRIB "$work/data.txt"

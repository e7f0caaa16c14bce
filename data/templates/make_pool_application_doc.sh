#!/usr/bin/env bash
# Makes the Office 2003 copy of the pool application template (MAApp03.DOC, committed beside
# this script) from the template the generator writes, through LibreOffice. Run it again after
# changing make_pool_application.py; the export tests check that both copies have the same
# form fields.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
python3 "$here/make_pool_application.py" "$work/MAApp03.docx"
soffice "-env:UserInstallation=file://$work/profile" --headless --norestore \
    --convert-to 'doc:MS Word 97' --outdir "$work" "$work/MAApp03.docx" >/dev/null
cp "$work/MAApp03.doc" "$here/MAApp03.DOC"
echo "wrote $here/MAApp03.DOC"

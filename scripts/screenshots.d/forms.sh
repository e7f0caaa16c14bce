#!/usr/bin/env bash
# Application forms: every page of every delivered form as the form viewer shows it at 100%,
# empty and filled with the sample values of tests/forms/samples/, and each filled form printed
# through the viewer to PDF.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
formview="$SHOT_BUILD/tools/formview/formview"
forms="$SHOT_BUILD/program/ACORD"
out="$SHOT_OUT/forms"
mkdir -p "$out/empty" "$out/filled"
for form in ACORD130 ACORD130B MAPOOL NJPOOL PFA; do
    "$formview" png "$forms" "$form" "$out/empty"
    "$formview" png "$forms" "$form" "$out/filled" "$here/tests/forms/samples/$form.dat"
    "$formview" pdf "$forms" "$form" "$out/$form.pdf" "$here/tests/forms/samples/$form.dat"
done
"$formview" dialogs "$forms" ACORD130 "$out"

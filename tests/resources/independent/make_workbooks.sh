#!/usr/bin/env bash
# Makes the independent test workbooks of this folder: xlwt writes two files
# (make_workbooks.py) and gnumeric's ssconvert recalculates the second and
# writes it again as BIFF8, so that its formula cells carry cached values.
# Needs python3-xlwt and gnumeric (apt-get install python3-xlwt gnumeric).
# The results are committed; run this only to change them.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

/usr/bin/python3 "$here/make_workbooks.py" "$work"
cp "$work/xlwt_catalogue.xls" "$here/"
ssconvert --recalc -T Gnumeric_Excel:excel_biff8 "$work/gnumeric_source.xls" "$here/gnumeric_formulas.xls"

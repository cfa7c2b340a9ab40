#!/bin/sh
# Regenerates the test workbooks of this folder: xlwt writes the xlwt_*
# files, gnumeric's ssconvert turns them into the gnumeric_* files (with
# --recalc, so that formulas carry cached results). See README.md.
set -eu
cd "$(dirname "$0")"
/usr/bin/python3 make_xlwt_workbooks.py .
ssconvert --recalc -T Gnumeric_Excel:excel_biff8 xlwt_formulas.xls gnumeric_formulas.xls
ssconvert -T Gnumeric_Excel:excel_biff8 xlwt_rich.xls gnumeric_rich.xls
ssconvert -T Gnumeric_Excel:excel_biff8 xlwt_long_strings.xls gnumeric_long_strings.xls
ssconvert -T Gnumeric_Excel:excel_biff7 xlwt_rich.xls gnumeric_biff7.xls

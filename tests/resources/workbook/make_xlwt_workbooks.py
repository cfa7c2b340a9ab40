"""Writes the xlwt test workbooks of this folder (run with Debian's
/usr/bin/python3, which has python3-xlwt). See README.md beside it.

usage: make_xlwt_workbooks.py <output directory>
"""
import datetime
import os
import sys

import xlwt

out = sys.argv[1]

# ---------------------------------------------------------------- xlwt_rich.xls
# Typed cells and formatting the driver must keep: a bold header, dates and
# times with their formats, booleans, numbers with a number format, merged
# cells, column widths, a second and a third sheet the changes never touch.
book = xlwt.Workbook(encoding="utf-8")
bold = xlwt.easyxf("font: bold on; pattern: pattern solid, fore_colour light_yellow")
date = xlwt.easyxf(num_format_str="YYYY-MM-DD")
stamp = xlwt.easyxf(num_format_str="YYYY-MM-DD HH:MM:SS")
clock = xlwt.easyxf(num_format_str="HH:MM:SS")
money = xlwt.easyxf(num_format_str="#,##0.00")
wrapped = xlwt.easyxf("alignment: wrap on; font: italic on")

parts = book.add_sheet("Parts")
header = ["NAME", "QTY", "PRICE", "DELIVERED", "CHECKED", "IN_STOCK", "NOTE"]
for c, name in enumerate(header):
    parts.write(0, c, name, bold)
rows = [
    ("bolt M8", 120, 0.35, datetime.date(2024, 1, 31), datetime.datetime(2024, 2, 1, 8, 30, 0), True, "zinc | plated"),
    ("nut M8", 300, 0.08, datetime.date(2023, 12, 24), datetime.datetime(2023, 12, 24, 17, 5, 9), False, "^ top"),
    ("washer Ø8", 0, 0.02, datetime.date(1999, 12, 31), datetime.datetime(2000, 1, 1, 0, 0, 0), True, 'say "hi"'),
    ("pin 3x20", 15, 1.5, datetime.date(2024, 2, 29), datetime.datetime(2024, 2, 29, 23, 59, 59), False, "Größe – 日本"),
]
for r, (name, qty, price, day, when, stock, note) in enumerate(rows, start=1):
    parts.write(r, 0, name)
    parts.write(r, 1, qty)
    parts.write(r, 2, price, money)
    parts.write(r, 3, day, date)
    parts.write(r, 4, when, stamp)
    parts.write(r, 5, stock)
    parts.write(r, 6, note, wrapped)
parts.write_merge(6, 6, 0, 2, "merged over three columns", bold)
parts.write(7, 3, datetime.time(13, 45, 30), clock)
parts.col(0).width = 256 * 20
parts.col(6).width = 256 * 30
parts.row(0).height_mismatch = True
parts.row(0).height = 400

notes = book.add_sheet("Notes_%")
notes.write(0, 0, "KEY", bold)
notes.write(0, 1, "VALUE", bold)
notes.write(1, 0, "pipe|text")
notes.write(1, 1, "caret ^")
notes.write(2, 0, "quote'")
notes.write(2, 1, 'double "quote"')
notes.write_merge(3, 4, 0, 1, "two by two")
notes.col(1).width = 256 * 25

other = book.add_sheet("M 10")
other.write(0, 0, "untouched")
other.write(1, 0, 1.25)
book.save(os.path.join(out, "xlwt_rich.xls"))

# ------------------------------------------------------- xlwt_formulas.xls
# Formulas as xlwt writes them: no cached results (xlwt cannot calculate).
# gnumeric's ssconvert --recalc turns this into gnumeric_formulas.xls with
# the results cached.
book = xlwt.Workbook(encoding="utf-8")
f = book.add_sheet("Calc")
for c, name in enumerate(["A", "B", "SUM", "TEXT", "TEST", "ERROR", "BLANK", "WHEN"]):
    f.write(0, c, name, bold)
for r, (a, b) in enumerate([(1, 2), (2.5, 4), (10, 0)], start=1):
    row = r + 1
    f.write(r, 0, a)
    f.write(r, 1, b)
    f.write(r, 2, xlwt.Formula("A%d+B%d" % (row, row)))
    f.write(r, 3, xlwt.Formula('"ab"&"cd"&A%d' % row))
    f.write(r, 4, xlwt.Formula("A%d>B%d" % (row, row)))
    f.write(r, 5, xlwt.Formula("A%d/B%d" % (row, row)))
    f.write(r, 6, xlwt.Formula('""'))
    f.write(r, 7, xlwt.Formula("DATE(2024,%d,15)" % r), date)
f.write_merge(5, 5, 0, 3, "merged note", wrapped)
f.col(3).width = 256 * 18
book.add_sheet("Empty")
book.save(os.path.join(out, "xlwt_formulas.xls"))

# --------------------------------------------------- xlwt_long_strings.xls
# Texts long enough to span several CONTINUE records of the shared-string
# table (xlwt refuses more than 32,767 characters).
book = xlwt.Workbook(encoding="utf-8")
s = book.add_sheet("Long")
s.write(0, 0, "KIND")
s.write(0, 1, "TEXT")
s.write(1, 0, "x32767")
s.write(1, 1, "x" * 32767)
s.write(2, 0, "euro10000")
s.write(2, 1, "€" * 10000)
s.write(3, 0, "e9000")
s.write(3, 1, "é" * 9000)
s.write(4, 0, "mixed")
s.write(4, 1, ("abc" + "日本語" + "é") * 3000)
s.write(5, 0, "after")
s.write(5, 1, "short text after the long ones")
book.save(os.path.join(out, "xlwt_long_strings.xls"))

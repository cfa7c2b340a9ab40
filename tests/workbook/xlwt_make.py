"""Writes an .xls workbook with xlwt from a small description on stdin, one
line per cell: sheet name, row, column, kind (text, int, real) and value,
tab-separated (sheets are created in order of first mention)."""
import sys
import xlwt

book = xlwt.Workbook()
sheets = {}
for line in sys.stdin.read().splitlines():
    if not line:
        continue
    name, row, col, kind, value = line.split("\t", 4)
    if name not in sheets:
        sheets[name] = book.add_sheet(name)
    if kind == "none":
        continue
    if kind == "int":
        value = int(value)
    elif kind == "real":
        value = float(value)
    sheets[name].write(int(row), int(col), value)
book.save(sys.argv[1])

"""Prints every worksheet of an .xls workbook as xlrd reads it, one line per
cell that holds a value: row, column, kind and value, tab-separated, after
a line "sheet <name>". Numbers (and the serial days of dates) are printed
as the shortest text that reads back to the double, without a trailing
".0"; texts escape tabs and line breaks; empty texts are left out. A test
compares this with what the project's own reader reads."""
import sys
import xlrd


def number(v):
    s = repr(float(v))
    return s[:-2] if s.endswith(".0") else s


book = xlrd.open_workbook(sys.argv[1], formatting_info=True)
for sheet in book.sheets():
    print("sheet\t%s" % sheet.name)
    for r in range(sheet.nrows):
        for c in range(sheet.ncols):
            cell = sheet.cell(r, c)
            t = cell.ctype
            if t == xlrd.XL_CELL_TEXT:
                if cell.value == "":
                    continue
                value = cell.value.replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n")
                print("%d\t%d\ttext\t%s" % (r, c, value))
            elif t == xlrd.XL_CELL_NUMBER:
                print("%d\t%d\tnumber\t%s" % (r, c, number(cell.value)))
            elif t == xlrd.XL_CELL_DATE:
                serial = cell.value + (1462 if book.datemode == 1 else 0)
                print("%d\t%d\tdate\t%s" % (r, c, number(serial)))
            elif t == xlrd.XL_CELL_BOOLEAN:
                print("%d\t%d\tboolean\t%d" % (r, c, cell.value))
            elif t == xlrd.XL_CELL_ERROR:
                print("%d\t%d\terror\t%d" % (r, c, cell.value))

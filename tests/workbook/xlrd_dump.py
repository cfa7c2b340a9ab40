"""Prints every sheet of an .xls workbook as xlrd sees it, one line per cell:
sheet index, sheet name, row, column, cell type and value (repr), so that a
test can compare it with what was written."""
import sys
import xlrd

book = xlrd.open_workbook(sys.argv[1])
for si in range(book.nsheets):
    sheet = book.sheet_by_index(si)
    print("sheet\t%d\t%s\t%d\t%d" % (si, sheet.name, sheet.nrows, sheet.ncols))
    for r in range(sheet.nrows):
        for c in range(sheet.ncols):
            cell = sheet.cell(r, c)
            if cell.ctype == xlrd.XL_CELL_EMPTY:
                continue
            kind = {xlrd.XL_CELL_TEXT: "text", xlrd.XL_CELL_NUMBER: "number"}.get(cell.ctype, str(cell.ctype))
            print("cell\t%d\t%d\t%s\t%s" % (r, c, kind, repr(cell.value)))

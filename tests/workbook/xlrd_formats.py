"""Prints an .xls workbook with its formatting as xlrd (formatting_info=True)
reads it: for each sheet its name, merged ranges, column widths and row
heights, then one line per cell with its kind, value, font (name, height,
bold, italic), number format, fill colour and text wrap. Two workbooks can
then be compared line by line."""
import sys
import xlrd

book = xlrd.open_workbook(sys.argv[1], formatting_info=True)


def style(xf_index):
    xf = book.xf_list[xf_index]
    font = book.font_list[xf.font_index]
    fmt = book.format_map[xf.format_key].format_str
    return "font=%s/%d/%s/%s fmt=%s fill=%d wrap=%d" % (
        font.name, font.height, "bold" if font.bold else "-", "italic" if font.italic else "-",
        fmt, xf.background.pattern_colour_index, xf.alignment.text_wrapped)


for sheet in book.sheets():
    name = sheet.name
    print("sheet %s" % name)
    print("%s merged %s" % (name, sorted(sheet.merged_cells)))
    for col, info in sorted(sheet.colinfo_map.items()):
        print("%s column %d width=%d hidden=%d" % (name, col, info.width, info.hidden))
    for row, info in sorted(sheet.rowinfo_map.items()):
        if info.has_default_height:
            continue
        print("%s row %d height=%d" % (name, row, info.height))
    for r in range(sheet.nrows):
        for c in range(sheet.ncols):
            cell = sheet.cell(r, c)
            if cell.ctype == xlrd.XL_CELL_EMPTY:
                continue
            print("%s cell %d,%d %d %r %s" % (name, r, c, cell.ctype, cell.value, style(cell.xf_index)))

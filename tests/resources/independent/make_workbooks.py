#!/usr/bin/python3
# Writes the independent test workbooks with python3-xlwt: files made by a
# writer nobody on this project wrote, read back by the library's three sheet
# readers, which must agree on every sheet.
#
#   xlwt_catalogue.xls    written here as it stands
#   gnumeric_source.xls   written here, then converted by make_workbooks.sh
#                         with gnumeric's ssconvert into gnumeric_formulas.xls
#                         (ssconvert recalculates, so its formula cells carry
#                         cached values; xlwt writes formulas without them)
#
# Run make_workbooks.sh rather than this script: it also makes the gnumeric
# file. The output is committed as test data; the tests never run this.
#
# Cell contents are chosen to trip readers: texts holding the record
# separator '|' and the empty-cell mark '^', single and double quotes,
# non-ASCII letters, numbers of every kind, booleans, dates, empty cells
# inside the used range, and sheet names holding '_', '%' and blanks (pattern
# characters of the driver's catalogue functions). No name in a sheet's first
# row begins with "F": the database reader takes such a name for one the
# driver made up for an unnamed column, and documents that it does.
import datetime
import sys

import xlwt

DATE = xlwt.easyxf(num_format_str='YYYY-MM-DD')
DATETIME = xlwt.easyxf(num_format_str='YYYY-MM-DD HH:MM:SS')


def put(sheet, rows):
    """Writes rows of cells; None leaves a cell empty; (value, style) pairs
    carry a number format."""
    for r, row in enumerate(rows):
        for c, value in enumerate(row):
            if value is None:
                continue
            if isinstance(value, tuple):
                sheet.write(r, c, value[0], value[1])
            else:
                sheet.write(r, c, value)


def catalogue(path):
    book = xlwt.Workbook(encoding='utf-8')

    # A catalogue in the applications' layout: a keyword row, PARAMETERS, the
    # field-name row, records (an empty cell is filled down from above, an
    # empty row inside the used range) and END.
    put(book.add_sheet('Cap screws'), [
        ['SHEET_TYPE', 'CAP_SCREW'],
        ['PARAMETERS'],
        ['D', 'L', 'PART_NUMBER', 'NOTE', 'PRICE \u20ac', 'IN_STOCK', 'SINCE'],
        [8, 20, 'SHCS-M8x20', 'a|b', 0.42, True, (datetime.date(2024, 3, 15), DATE)],
        [None, 25, 'SHCS-M8x25', '^', 0.45, False, (datetime.date(1999, 12, 31), DATE)],
        [10, 30, 'Gr\u00f6\u00dfe "10"', "O'Brien", 1.0 / 3.0, None, None],
        [],
        [12, 35, '\u65e5\u672c|^', '|', 123456789012, True,
         (datetime.datetime(2024, 3, 15, 10, 30, 0), DATETIME)],
        [-3, 0.1, 'x^y', '"', 1e-07, None, None],
        ['END'],
    ])

    # Two sheets whose table names one another's pattern matches: "M_10$"
    # also matches "M110$", which sorts first.
    put(book.add_sheet('M110'), [
        ['WRONG_A', 'WRONG_B', 'WRONG_C'],
        [1, 2, 3],
    ])
    # Its last field name has no value below it.
    put(book.add_sheet('M_10'), [
        ['SIZE', 'PITCH', 'NOTE'],
        [10, 1.5],
        [None, 1.25],
    ])

    # '%' matches any run of characters: "Rate%1$" also matches "Rate_21$".
    put(book.add_sheet('Rate%1'), [
        ['RATE', 'UNIT'],
        [0.5, '%'],
    ])
    put(book.add_sheet('Rate_21'), [
        ['OTHER', 'COLUMNS', 'HERE'],
        ['a', 'b', 'c'],
    ])

    # '$' ends every sheet's table name; here it is part of the name too.
    put(book.add_sheet('Cost$2024'), [
        ['ITEM', 'COST'],
        ['bolt', 0.07],
    ])

    # The used range begins below and to the right of A1: the first row and
    # column are empty, and an empty row and column lie inside the range.
    put(book.add_sheet('Offset sheet'), [
        [],
        [None, 'K', None, 'V'],
        [None, 'a', None, 1],
        [],
        [None, 'b', None, 2.5],
    ])
    book.save(path)


def gnumeric_source(path):
    book = xlwt.Workbook(encoding='utf-8')
    put(book.add_sheet('Sum_A'), [
        ['A', 'B', 'TOTAL', 'LABEL', 'BIGGER', 'ON_HAND'],
        [2, 0.5, xlwt.Formula('A2+B2'), xlwt.Formula('"x|"&A2'), xlwt.Formula('A2>B2'), True],
        [3, 4, xlwt.Formula('A3*B3'), xlwt.Formula('"y^"&B3'), xlwt.Formula('A3>B3'), False],
        [None, None, None, None, None, None],
        ['sum', None, xlwt.Formula('SUM(C2:C3)'), xlwt.Formula('"\u00e4 \'q\' "&"\u00e9"'), None, None],
    ])
    put(book.add_sheet('Sum%A'), [
        ['WHEN', 'NOTE'],
        [(datetime.date(2023, 1, 2), DATE), 'caf\u00e9 | "quoted"'],
        [(datetime.date(2023, 1, 3), DATE), "it's ^"],
    ])
    book.save(path)


if __name__ == '__main__':
    out = sys.argv[1] if len(sys.argv) > 1 else '.'
    catalogue(out + '/xlwt_catalogue.xls')
    gnumeric_source(out + '/gnumeric_source.xls')

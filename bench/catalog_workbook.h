// The catalogue sheet the driver benchmarks read and grow: a "Catalog" sheet
// with a header row COL1 ... COLn and records whose columns cycle through a
// text ("part-<record>-<column>"), an integer and a real.
#ifndef CVSTV_BENCH_CATALOG_WORKBOOK_H
#define CVSTV_BENCH_CATALOG_WORKBOOK_H

#include "workbook/workbook.h"

#include <string>
#include <utility>
#include <vector>

namespace cvstv::bench {

// The value of record r (from 0) in column c (from 0).
inline workbook::Cell catalog_value(int r, int c)
{
    using workbook::Cell;
    switch (c % 3) {
    case 0: return Cell::make_text("part-" + std::to_string(r) + "-" + std::to_string(c));
    case 1: return Cell::make_integer(r * 10 + c);
    default: return Cell::make_real(r + c / 8.0);
    }
}

// Appends records first ... first + count - 1 to the catalogue sheet.
inline void add_catalog_records(workbook::Workbook &book, int first, int count, int columns)
{
    auto &rows = book.sheets[0].rows;
    for (int r = first; r < first + count; ++r) {
        std::vector<workbook::Cell> row;
        for (int c = 0; c < columns; ++c)
            row.push_back(catalog_value(r, c));
        rows.push_back(std::move(row));
    }
}

// The catalogue with its header and `records` records.
inline workbook::Workbook catalog_workbook(int records, int columns)
{
    workbook::Workbook book;
    book.sheets.push_back({"Catalog", {}});
    std::vector<workbook::Cell> header;
    for (int c = 0; c < columns; ++c)
        header.push_back(workbook::Cell::make_text("COL" + std::to_string(c + 1)));
    book.sheets[0].rows.push_back(std::move(header));
    add_catalog_records(book, 0, records, columns);
    return book;
}

} // namespace cvstv::bench

#endif

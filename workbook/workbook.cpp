// Cell, sheet and workbook helpers shared by the reader and the writer.
#include "workbook/workbook.h"

#include <algorithm>
#include <cmath>

namespace workbook {

std::size_t number_text(const Cell &cell, char (&buf)[number_text_size])
{
    switch (cell.type) {
    case CellType::integer: return format_number(cell.integer, buf);
    case CellType::real: return format_number(cell.real, buf);
    default: return 0;
    }
}

Cell typed_cell(std::string_view text)
{
    if (text.empty())
        return {};
    if (auto whole = read_integer(text); whole && *whole > -1000000000000000 && *whole < 1000000000000000)
        return Cell::make_integer(*whole);
    if (auto value = read_number(text)) {
        if (*value == std::trunc(*value) && std::fabs(*value) < 1e15)
            return Cell::make_integer(static_cast<std::int64_t>(*value));
        return Cell::make_real(*value);
    }
    return Cell::make_text(std::string(text));
}

std::string Cell::as_text() const
{
    if (type == CellType::text)
        return text;
    char buf[number_text_size];
    return std::string(buf, number_text(*this, buf));
}

std::size_t Sheet::column_count() const
{
    std::size_t n = 0;
    for (const auto &row : rows)
        n = std::max(n, row.size());
    return n;
}

const Cell *Sheet::cell(std::size_t row, std::size_t col) const
{
    if (row >= rows.size() || col >= rows[row].size())
        return nullptr;
    return &rows[row][col];
}

Sheet *Workbook::find_sheet(const std::string &name)
{
    for (auto &s : sheets)
        if (s.name == name)
            return &s;
    return nullptr;
}

} // namespace workbook

// Cell, sheet and workbook helpers shared by the reader and the writer.
#include "workbook/workbook.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace workbook {

std::string Cell::as_text() const
{
    char buf[64];
    switch (type) {
    case CellType::empty:
        return {};
    case CellType::text:
        return text;
    case CellType::integer: {
        auto r = std::to_chars(buf, buf + sizeof buf, integer);
        return std::string(buf, r.ptr);
    }
    case CellType::real: {
        if (std::isfinite(real) && real == std::trunc(real) && std::fabs(real) < 1e15) {
            // Whole numbers print without an exponent ("12", not "1.2e+01").
            auto r = std::to_chars(buf, buf + sizeof buf, static_cast<long long>(real));
            return std::string(buf, r.ptr);
        }
        auto r = std::to_chars(buf, buf + sizeof buf, real);
        return std::string(buf, r.ptr);
    }
    }
    return {};
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

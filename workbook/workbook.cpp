// Cell, sheet and workbook helpers shared by the reader and the writer.
#include "workbook/workbook.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace workbook {

namespace {

// The shortest text of a real that reads back to it, as std::to_chars
// writes it, for the common case of a fraction with at most 15 significant
// digits and a magnitude from 0.1 to 1e15: then the plain notation is the
// shortest, and a decimal m / 10^k (m < 10^15, so 10^-k is wider than the
// gap between neighbouring doubles) that reads back to the value is the only
// one with k decimals. The smallest such k gives to_chars' digits. A
// candidate ending in 0 means a shorter one was missed: the caller then
// falls back to to_chars. Returns 0 when not handled.
std::size_t short_fraction_text(double value, char *buf)
{
    static constexpr double powers[] = {1e0, 1e1, 1e2, 1e3, 1e4,  1e5,  1e6,  1e7,
                                        1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const double magnitude = std::fabs(value);
    if (!(magnitude >= 0.1 && magnitude < 1e15))
        return 0;
    for (int k = 1; k < 16; ++k) {
        const double scaled = std::nearbyint(magnitude * powers[k]);
        if (scaled >= 1e15)
            return 0;
        if (scaled / powers[k] != magnitude)
            continue;
        auto m = static_cast<unsigned long long>(scaled);
        if (m % 10 == 0)
            return 0;
        char digits[24];
        char *d = std::to_chars(digits, digits + sizeof digits, m).ptr;
        const auto count = static_cast<int>(d - digits);
        char *out = buf;
        if (value < 0)
            *out++ = '-';
        if (count <= k) {
            *out++ = '0';
            *out++ = '.';
            for (int z = count; z < k; ++z)
                *out++ = '0';
            out = std::copy(digits, d, out);
        } else {
            out = std::copy(digits, d - k, out);
            *out++ = '.';
            out = std::copy(d - k, d, out);
        }
        return static_cast<std::size_t>(out - buf);
    }
    return 0;
}

} // namespace

std::size_t number_text(const Cell &cell, char (&buf)[number_text_size])
{
    char *const end = buf + number_text_size;
    switch (cell.type) {
    case CellType::integer:
        return static_cast<std::size_t>(std::to_chars(buf, end, cell.integer).ptr - buf);
    case CellType::real:
        if (std::isfinite(cell.real) && cell.real == std::trunc(cell.real) && std::fabs(cell.real) < 1e15) {
            // Whole numbers print without an exponent ("12", not "1.2e+01").
            return static_cast<std::size_t>(std::to_chars(buf, end, static_cast<long long>(cell.real)).ptr - buf);
        }
        if (std::size_t n = short_fraction_text(cell.real, buf))
            return n;
        return static_cast<std::size_t>(std::to_chars(buf, end, cell.real).ptr - buf);
    default:
        return 0;
    }
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

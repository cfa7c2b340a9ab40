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

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date, and back (the
// algorithms of H. Hinnant's "chrono-compatible low-level date algorithms").
long long days_from_civil(long long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void civil_from_days(long long z, int &year, int &month, int &day)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<long long>(yoe) + era * 400 + (month <= 2));
}

// Serial day 61 is 1900-03-01: the 1900 date system counts a 29 February
// 1900 (day 60) that never was. Days 1 to 59 are January and February 1900;
// day 60 reads as 1 March too, and day 0 as 1899-12-31.
const long long epoch_from_march_1900 = days_from_civil(1899, 12, 30);
const long long epoch_before_march_1900 = days_from_civil(1899, 12, 31);
constexpr double last_serial = 2958466.0; // 10000-01-01

const char *error_text(std::int64_t code)
{
    switch (code) {
    case 0x00: return "#NULL!";
    case 0x07: return "#DIV/0!";
    case 0x0F: return "#VALUE!";
    case 0x17: return "#REF!";
    case 0x1D: return "#NAME?";
    case 0x24: return "#NUM!";
    case 0x2A: return "#N/A";
    case 0x2B: return "#GETTING_DATA";
    default: return "#ERROR!";
    }
}

void two_digits(std::string &out, int v)
{
    out += static_cast<char>('0' + v / 10);
    out += static_cast<char>('0' + v % 10);
}

} // namespace

bool date_of_serial(double serial, DateTime &out)
{
    if (!(serial >= 0.0 && serial < last_serial))
        return false;
    long long days = static_cast<long long>(serial);
    long long seconds = std::llround((serial - static_cast<double>(days)) * 86400.0);
    if (seconds >= 86400) {
        ++days;
        seconds -= 86400;
    }
    civil_from_days((days < 61 ? epoch_before_march_1900 : epoch_from_march_1900) + days, out.year, out.month,
                    out.day);
    out.hour = static_cast<int>(seconds / 3600);
    out.minute = static_cast<int>(seconds / 60 % 60);
    out.second = static_cast<int>(seconds % 60);
    return true;
}

bool serial_of_date(const DateTime &when, double &serial)
{
    if (when.year < 1900 || when.year > 9999 || when.month < 1 || when.month > 12 || when.day < 1 ||
        when.hour < 0 || when.hour > 23 || when.minute < 0 || when.minute > 59 || when.second < 0 ||
        when.second > 59)
        return false;
    const long long days =
        days_from_civil(when.year, static_cast<unsigned>(when.month), static_cast<unsigned>(when.day));
    int y = 0, m = 0, d = 0;
    civil_from_days(days, y, m, d);
    if (d != when.day || m != when.month)
        return false; // 31 April and the like
    const long long march_1900 = days_from_civil(1900, 3, 1);
    const long long serial_days =
        days >= march_1900 ? days - epoch_from_march_1900 : days - epoch_before_march_1900;
    serial = static_cast<double>(serial_days) + (when.hour * 3600 + when.minute * 60 + when.second) / 86400.0;
    return true;
}

std::string Cell::as_text() const
{
    switch (type) {
    case CellType::text: return text;
    case CellType::boolean: return integer ? "TRUE" : "FALSE";
    case CellType::error: return error_text(integer);
    case CellType::date:
    case CellType::time:
    case CellType::datetime: {
        DateTime when;
        if (!date_of_serial(real, when)) {
            char buf[number_text_size];
            return std::string(buf, format_number(real, buf));
        }
        std::string out;
        if (type != CellType::time) {
            out += std::to_string(when.year);
            out += '-';
            two_digits(out, when.month);
            out += '-';
            two_digits(out, when.day);
        }
        if (type == CellType::datetime)
            out += ' ';
        if (type != CellType::date) {
            two_digits(out, when.hour);
            out += ':';
            two_digits(out, when.minute);
            out += ':';
            two_digits(out, when.second);
        }
        return out;
    }
    default: {
        char buf[number_text_size];
        return std::string(buf, number_text(*this, buf));
    }
    }
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

std::u16string utf8_to_utf16(const std::string &s)
{
    static const char32_t min_for[4] = {0, 0x80, 0x800, 0x10000};
    std::u16string out;
    out.reserve(s.size());
    const std::size_t n = s.size();
    std::size_t i = 0;
    while (i < n) {
        const auto b = static_cast<unsigned char>(s[i]);
        char32_t cp = 0xFFFD;
        std::size_t len = 1;
        if (b < 0x80) {
            cp = b;
        } else {
            const std::size_t extra = (b >= 0xC2 && b < 0xE0)   ? 1
                                      : (b >= 0xE0 && b < 0xF0) ? 2
                                      : (b >= 0xF0 && b < 0xF5) ? 3
                                                                : 0;
            if (extra != 0 && n - i > extra) {
                char32_t v = b & (0x3F >> extra);
                bool ok = true;
                for (std::size_t k = 1; ok && k <= extra; ++k) {
                    const auto c = static_cast<unsigned char>(s[i + k]);
                    ok = (c & 0xC0) == 0x80;
                    v = (v << 6) | (c & 0x3F);
                }
                if (ok && v >= min_for[extra] && v <= 0x10FFFF && !(v >= 0xD800 && v <= 0xDFFF)) {
                    cp = v;
                    len = extra + 1;
                }
            }
        }
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

void append_utf8(std::u16string_view s, std::string &out)
{
    for (std::size_t i = 0; i < s.size(); ++i) {
        char32_t cp = s[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
}

Sheet *Workbook::find_sheet(const std::string &name)
{
    for (auto &s : sheets)
        if (s.name == name)
            return &s;
    return nullptr;
}

} // namespace workbook

// Cells into C buffers and C buffers into cells (rules in conversion.h).
#include "odbc/conversion.h"

#include "workbook/number_text.h"

#include <sqlucode.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string_view>

namespace xlsodbc {

using workbook::Cell;
using workbook::CellType;

namespace {

template <class T> void store(SQLPOINTER target, T v)
{
    std::memcpy(target, &v, sizeof v);
}

template <class T> T load(const void *p)
{
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Records a diagnostic for a failed conversion. SQLGetData and SQLFetch run
// once per cell, so their per-call failures are reported directly rather
// than thrown.
Conversion failed(Handle &h, const char *state, std::string message)
{
    h.diag.add(state, std::move(message));
    return {SQL_ERROR, true};
}

// A date, time or timestamp written as text ("2024-01-31", "13:45:30",
// "2024-01-31 13:45:30"), as a serial.
std::optional<double> serial_of_text(const std::string &text)
{
    for (CellType kind : {CellType::datetime, CellType::date, CellType::time}) {
        try {
            return datetime_literal(kind, text).real;
        } catch (const SqlError &) {
        }
    }
    return std::nullopt;
}

std::optional<double> serial_of(const Cell &c)
{
    if (c.is_temporal() || c.type == CellType::real)
        return c.real;
    if (c.type == CellType::integer)
        return static_cast<double>(c.integer);
    if (c.type == CellType::text)
        return serial_of_text(c.text);
    return std::nullopt;
}

Conversion convert_text(Handle &h, const Cell &cell, SQLSMALLINT c_type, SQLPOINTER target, SQLLEN length,
                        SQLLEN *indicator, std::size_t &offset)
{
    // Texts are served in place, numbers from a stack buffer; only UTF-16
    // and other cells need a converted copy.
    Conversion out;
    char number[workbook::number_text_size];
    std::string other;
    std::string_view bytes;
    if (cell.type == CellType::text) {
        bytes = cell.text;
    } else if (cell.is_number()) {
        bytes = std::string_view(number, workbook::number_text(cell, number));
    } else {
        other = cell.as_text();
        bytes = other;
    }
    std::u16string wide;
    if (c_type == SQL_C_WCHAR) {
        wide = workbook::utf8_to_utf16(std::string(bytes));
        bytes = std::string_view(reinterpret_cast<const char *>(wide.data()), wide.size() * 2);
    }
    const std::size_t remaining = bytes.size() - std::min(offset, bytes.size());
    const std::size_t terminator = c_type == SQL_C_CHAR ? 1 : c_type == SQL_C_WCHAR ? 2 : 0;
    std::size_t room = length > 0 && static_cast<std::size_t>(length) > terminator
                           ? static_cast<std::size_t>(length) - terminator
                           : 0;
    if (c_type == SQL_C_WCHAR)
        room &= ~std::size_t{1};
    const std::size_t n = std::min(room, remaining);
    if (target && length >= static_cast<SQLLEN>(terminator)) {
        std::memcpy(target, bytes.data() + offset, n);
        if (terminator)
            std::memset(static_cast<char *>(target) + n, 0, terminator);
    }
    if (indicator)
        *indicator = static_cast<SQLLEN>(remaining);
    if (n < remaining) {
        offset += n;
        h.diag.add("01004", "String data, right truncated");
        out.rc = SQL_SUCCESS_WITH_INFO;
        out.done = false;
    }
    return out;
}

Conversion convert_datetime(Handle &h, const Cell &cell, SQLSMALLINT c_type, SQLPOINTER target,
                            SQLLEN *indicator)
{
    const auto serial = serial_of(cell);
    workbook::DateTime when;
    if (!serial || !workbook::date_of_serial(*serial, when))
        return failed(h, "22018",
                      "Invalid character value for cast specification: '" + cell.as_text() +
                          "' is no date or time");
    Conversion out;
    switch (c_type) {
    case SQL_C_TYPE_DATE:
    case SQL_C_DATE: {
        DATE_STRUCT d{static_cast<SQLSMALLINT>(when.year), static_cast<SQLUSMALLINT>(when.month),
                      static_cast<SQLUSMALLINT>(when.day)};
        if (cell.type == CellType::datetime || (when.hour | when.minute | when.second) != 0) {
            h.diag.add("01S07", "Fractional truncation: the time of day is left out");
            out.rc = SQL_SUCCESS_WITH_INFO;
        }
        if (target)
            store(target, d);
        if (indicator)
            *indicator = sizeof d;
        return out;
    }
    case SQL_C_TYPE_TIME:
    case SQL_C_TIME: {
        TIME_STRUCT t{static_cast<SQLUSMALLINT>(when.hour), static_cast<SQLUSMALLINT>(when.minute),
                      static_cast<SQLUSMALLINT>(when.second)};
        if (target)
            store(target, t);
        if (indicator)
            *indicator = sizeof t;
        return out;
    }
    default: {
        TIMESTAMP_STRUCT ts{};
        if (cell.type != CellType::time) {
            ts.year = static_cast<SQLSMALLINT>(when.year);
            ts.month = static_cast<SQLUSMALLINT>(when.month);
            ts.day = static_cast<SQLUSMALLINT>(when.day);
        } else { // a time of day on the day before day 1, as the 1900 system counts
            ts.year = 1899;
            ts.month = 12;
            ts.day = 30;
        }
        ts.hour = static_cast<SQLUSMALLINT>(when.hour);
        ts.minute = static_cast<SQLUSMALLINT>(when.minute);
        ts.second = static_cast<SQLUSMALLINT>(when.second);
        if (target)
            store(target, ts);
        if (indicator)
            *indicator = sizeof ts;
        return out;
    }
    }
}

} // namespace

SQLSMALLINT default_c_type(SQLSMALLINT sql_type)
{
    switch (sql_type) {
    case SQL_DOUBLE: return SQL_C_DOUBLE;
    case SQL_SMALLINT: return SQL_C_SSHORT;
    case SQL_INTEGER: return SQL_C_SLONG;
    case SQL_BIT: return SQL_C_BIT;
    case SQL_TYPE_DATE: return SQL_C_TYPE_DATE;
    case SQL_TYPE_TIME: return SQL_C_TYPE_TIME;
    case SQL_TYPE_TIMESTAMP: return SQL_C_TYPE_TIMESTAMP;
    default: return SQL_C_CHAR;
    }
}

Conversion convert_cell(Handle &h, const Cell &cell, SQLSMALLINT c_type, SQLPOINTER target, SQLLEN length,
                        SQLLEN *indicator, std::size_t &offset)
{
    if (c_type == SQL_C_CHAR || c_type == SQL_C_BINARY || c_type == SQL_C_WCHAR)
        return convert_text(h, cell, c_type, target, length, indicator, offset);
    if (c_type == SQL_C_TYPE_DATE || c_type == SQL_C_TYPE_TIME || c_type == SQL_C_TYPE_TIMESTAMP ||
        c_type == SQL_C_DATE || c_type == SQL_C_TIME || c_type == SQL_C_TIMESTAMP)
        return convert_datetime(h, cell, c_type, target, indicator);

    // Numbers: from the cell's number, or from a text that holds one.
    Conversion out;
    const bool is_integer = cell.type == CellType::integer || cell.type == CellType::boolean;
    double d = 0;
    if (is_integer)
        d = static_cast<double>(cell.integer);
    else if (cell.type == CellType::real || cell.is_temporal())
        d = cell.real;
    else if (auto parsed = cell.type == CellType::text ? workbook::read_number(cell.text) : std::nullopt)
        d = *parsed;
    else
        return failed(h, "22018", "Invalid character value for cast specification: '" + cell.as_text() + "'");

    auto integral = [&](auto sample, SQLLEN size) {
        using T = decltype(sample);
        const double lo = static_cast<double>(std::numeric_limits<T>::min());
        const double hi = static_cast<double>(std::numeric_limits<T>::max());
        T v;
        if (is_integer && cell.integer >= static_cast<std::int64_t>(std::numeric_limits<T>::min()) &&
            (std::numeric_limits<T>::max() >=
                 static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) ||
             cell.integer <= static_cast<std::int64_t>(std::numeric_limits<T>::max()))) {
            v = static_cast<T>(cell.integer);
        } else {
            const double t = std::trunc(d);
            if (!(t >= lo && t <= hi))
                return failed(h, "22003", "Numeric value out of range: " + cell.as_text());
            v = static_cast<T>(t);
            if (t != d) {
                h.diag.add("01S07", "Fractional truncation");
                out.rc = SQL_SUCCESS_WITH_INFO;
            }
        }
        if (target)
            store(target, v);
        if (indicator)
            *indicator = size;
        return out;
    };
    switch (c_type) {
    case SQL_C_DOUBLE:
        if (target)
            store(target, d);
        if (indicator)
            *indicator = sizeof(double);
        return out;
    case SQL_C_FLOAT:
        if (std::fabs(d) > std::numeric_limits<float>::max())
            return failed(h, "22003", "Numeric value out of range: " + cell.as_text());
        if (target)
            store(target, static_cast<float>(d));
        if (indicator)
            *indicator = sizeof(float);
        return out;
    case SQL_C_BIT:
        if (d < 0 || d >= 2)
            return failed(h, "22003", "Numeric value out of range: " + cell.as_text() + " is no bit");
        return integral(SQLCHAR{}, sizeof(SQLCHAR));
    case SQL_C_LONG:
    case SQL_C_SLONG: return integral(SQLINTEGER{}, sizeof(SQLINTEGER));
    case SQL_C_ULONG: return integral(SQLUINTEGER{}, sizeof(SQLUINTEGER));
    case SQL_C_SHORT:
    case SQL_C_SSHORT: return integral(SQLSMALLINT{}, sizeof(SQLSMALLINT));
    case SQL_C_USHORT: return integral(SQLUSMALLINT{}, sizeof(SQLUSMALLINT));
    case SQL_C_TINYINT:
    case SQL_C_STINYINT: return integral(SQLSCHAR{}, sizeof(SQLSCHAR));
    case SQL_C_UTINYINT: return integral(SQLCHAR{}, sizeof(SQLCHAR));
    case SQL_C_SBIGINT: return integral(SQLBIGINT{}, sizeof(SQLBIGINT));
    case SQL_C_UBIGINT: return integral(SQLUBIGINT{}, sizeof(SQLUBIGINT));
    default: return failed(h, "HY003", "Program type out of range: " + std::to_string(c_type));
    }
}

// ------------------------------------------------------------- parameters

namespace {

std::size_t c_type_size(SQLSMALLINT c_type)
{
    switch (c_type) {
    case SQL_C_DOUBLE: return sizeof(SQLDOUBLE);
    case SQL_C_FLOAT: return sizeof(SQLREAL);
    case SQL_C_LONG:
    case SQL_C_SLONG:
    case SQL_C_ULONG: return sizeof(SQLINTEGER);
    case SQL_C_SHORT:
    case SQL_C_SSHORT:
    case SQL_C_USHORT: return sizeof(SQLSMALLINT);
    case SQL_C_TINYINT:
    case SQL_C_STINYINT:
    case SQL_C_UTINYINT:
    case SQL_C_BIT: return 1;
    case SQL_C_SBIGINT:
    case SQL_C_UBIGINT: return sizeof(SQLBIGINT);
    case SQL_C_TYPE_DATE:
    case SQL_C_DATE: return sizeof(DATE_STRUCT);
    case SQL_C_TYPE_TIME:
    case SQL_C_TIME: return sizeof(TIME_STRUCT);
    case SQL_C_TYPE_TIMESTAMP:
    case SQL_C_TIMESTAMP: return sizeof(TIMESTAMP_STRUCT);
    case SQL_C_NUMERIC: return sizeof(SQL_NUMERIC_STRUCT);
    default: return 0;
    }
}

SQLSMALLINT c_type_for_sql(SQLSMALLINT sql_type)
{
    switch (sql_type) {
    case SQL_WCHAR:
    case SQL_WVARCHAR:
    case SQL_WLONGVARCHAR: return SQL_C_WCHAR;
    case SQL_BIT: return SQL_C_BIT;
    case SQL_TINYINT: return SQL_C_STINYINT;
    case SQL_SMALLINT: return SQL_C_SSHORT;
    case SQL_INTEGER: return SQL_C_SLONG;
    case SQL_BIGINT: return SQL_C_SBIGINT;
    case SQL_REAL: return SQL_C_FLOAT;
    case SQL_FLOAT:
    case SQL_DOUBLE: return SQL_C_DOUBLE;
    case SQL_TYPE_DATE:
    case SQL_DATE: return SQL_C_TYPE_DATE;
    case SQL_TYPE_TIME:
    case SQL_TIME: return SQL_C_TYPE_TIME;
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP: return SQL_C_TYPE_TIMESTAMP;
    default: return SQL_C_CHAR;
    }
}

bool numeric_sql_type(SQLSMALLINT t)
{
    switch (t) {
    case SQL_NUMERIC:
    case SQL_DECIMAL:
    case SQL_INTEGER:
    case SQL_SMALLINT:
    case SQL_TINYINT:
    case SQL_BIGINT:
    case SQL_FLOAT:
    case SQL_REAL:
    case SQL_DOUBLE: return true;
    default: return false;
    }
}

Value date_value(CellType kind, const workbook::DateTime &when)
{
    double serial = 0;
    if (kind == CellType::time) {
        if (when.hour < 0 || when.hour > 23 || when.minute < 0 || when.minute > 59 || when.second < 0 ||
            when.second > 59)
            throw SqlError("22007", "Invalid datetime format: a time of day out of range");
        serial = (when.hour * 3600 + when.minute * 60 + when.second) / 86400.0;
    } else if (!workbook::serial_of_date(when, serial)) {
        throw SqlError("22008", "Datetime field overflow: " + std::to_string(when.year) + "-" +
                                    std::to_string(when.month) + "-" + std::to_string(when.day) +
                                    " (a workbook holds dates from 1900-01-01 to 9999-12-31)");
    }
    return Value::make_serial(kind, serial);
}

// The decimal value of a SQL_NUMERIC_STRUCT.
double numeric_value(const SQL_NUMERIC_STRUCT &n)
{
    double v = 0, scale = 1;
    for (int i = 0; i < SQL_MAX_NUMERIC_LEN; ++i) {
        v += n.val[i] * scale;
        scale *= 256;
    }
    v /= std::pow(10.0, n.scale);
    return n.sign ? v : -v;
}

} // namespace

Value parameter_value(const Statement &s, const BoundParameter &p, std::size_t row)
{
    const SQLULEN offset = s.param_bind_offset ? *s.param_bind_offset : 0;
    const bool by_column = s.param_bind_type == SQL_PARAM_BIND_BY_COLUMN;
    SQLSMALLINT c_type = p.c_type == SQL_C_DEFAULT ? c_type_for_sql(p.sql_type) : p.c_type;
    std::size_t element = c_type_size(c_type);
    if (element == 0)
        element = static_cast<std::size_t>(std::max<SQLLEN>(p.buffer_length, 0));
    const char *value = p.value ? static_cast<const char *>(p.value) + offset +
                                      (by_column ? row * element : row * s.param_bind_type)
                                : nullptr;
    const SQLLEN *indicator =
        p.indicator
            ? reinterpret_cast<const SQLLEN *>(reinterpret_cast<const char *>(p.indicator) + offset +
                                               (by_column ? row * sizeof(SQLLEN) : row * s.param_bind_type))
            : nullptr;
    const SQLLEN ind = indicator ? load<SQLLEN>(indicator) : SQL_NTS;
    if (ind == SQL_NULL_DATA || (!value && !indicator))
        return {};
    if (ind == SQL_DATA_AT_EXEC || ind <= SQL_LEN_DATA_AT_EXEC_OFFSET)
        throw SqlError("HYC00",
                       "Optional feature not implemented: parameter data at execution time; bind the "
                       "value in a buffer");
    if (!value)
        throw SqlError("HY009", "Invalid use of null pointer: a parameter has no value buffer");

    Value v;
    switch (c_type) {
    case SQL_C_CHAR:
    case SQL_C_BINARY: {
        std::size_t n = 0;
        if (ind == SQL_NTS)
            n = p.buffer_length > 0 ? strnlen(value, static_cast<std::size_t>(p.buffer_length))
                                    : std::strlen(value);
        else if (ind >= 0)
            n = static_cast<std::size_t>(ind);
        else
            throw SqlError("HY090", "Invalid string or buffer length for a parameter");
        v = Value::make_text(std::string(value, n));
        break;
    }
    case SQL_C_WCHAR: {
        SQLINTEGER chars = SQL_NTS;
        if (ind >= 0)
            chars = static_cast<SQLINTEGER>(ind / 2);
        else if (ind != SQL_NTS)
            throw SqlError("HY090", "Invalid string or buffer length for a parameter");
        v = Value::make_text(from_wide(reinterpret_cast<const SQLWCHAR *>(value), chars));
        break;
    }
    case SQL_C_DOUBLE: v = Value::make_real(load<SQLDOUBLE>(value)); break;
    case SQL_C_FLOAT: v = Value::make_real(load<SQLREAL>(value)); break;
    case SQL_C_LONG:
    case SQL_C_SLONG: v = Value::make_integer(load<SQLINTEGER>(value)); break;
    case SQL_C_ULONG: v = Value::make_integer(load<SQLUINTEGER>(value)); break;
    case SQL_C_SHORT:
    case SQL_C_SSHORT: v = Value::make_integer(load<SQLSMALLINT>(value)); break;
    case SQL_C_USHORT: v = Value::make_integer(load<SQLUSMALLINT>(value)); break;
    case SQL_C_TINYINT:
    case SQL_C_STINYINT: v = Value::make_integer(load<SQLSCHAR>(value)); break;
    case SQL_C_UTINYINT: v = Value::make_integer(load<SQLCHAR>(value)); break;
    case SQL_C_SBIGINT: v = Value::make_integer(load<SQLBIGINT>(value)); break;
    case SQL_C_UBIGINT: {
        const SQLUBIGINT u = load<SQLUBIGINT>(value);
        v = u > static_cast<SQLUBIGINT>(std::numeric_limits<std::int64_t>::max())
                ? Value::make_real(static_cast<double>(u))
                : Value::make_integer(static_cast<std::int64_t>(u));
        break;
    }
    case SQL_C_BIT: v = Value::make_boolean(load<SQLCHAR>(value) != 0); break;
    case SQL_C_NUMERIC: v = Value::make_real(numeric_value(load<SQL_NUMERIC_STRUCT>(value))); break;
    case SQL_C_TYPE_DATE:
    case SQL_C_DATE: {
        const auto d = load<DATE_STRUCT>(value);
        v = date_value(CellType::date, {d.year, d.month, d.day, 0, 0, 0});
        break;
    }
    case SQL_C_TYPE_TIME:
    case SQL_C_TIME: {
        const auto t = load<TIME_STRUCT>(value);
        v = date_value(CellType::time, {1899, 12, 31, t.hour, t.minute, t.second});
        break;
    }
    case SQL_C_TYPE_TIMESTAMP:
    case SQL_C_TIMESTAMP: {
        const auto t = load<TIMESTAMP_STRUCT>(value);
        // A timestamp of midnight is stored as what it is: a date and time.
        v = date_value(CellType::datetime, {t.year, t.month, t.day, t.hour, t.minute, t.second});
        break;
    }
    default: throw SqlError("HY003", "Program type out of range: " + std::to_string(c_type));
    }

    // A text sent for a number, a bit or a date becomes one.
    if (v.type == CellType::text) {
        if (numeric_sql_type(p.sql_type)) {
            auto number = workbook::read_number(v.text);
            if (!number)
                throw SqlError("22018", "Invalid character value for cast specification: '" + v.text + "'");
            if (auto whole = workbook::read_integer(v.text))
                return Value::make_integer(*whole);
            return Value::make_real(*number);
        }
        if (p.sql_type == SQL_BIT) {
            auto number = workbook::read_number(v.text);
            if (!number || (*number != 0 && *number != 1))
                throw SqlError("22018", "Invalid character value for cast specification: '" + v.text + "'");
            return Value::make_boolean(*number != 0);
        }
        if (p.sql_type == SQL_TYPE_DATE || p.sql_type == SQL_TYPE_TIME || p.sql_type == SQL_TYPE_TIMESTAMP) {
            const CellType kind = p.sql_type == SQL_TYPE_DATE   ? CellType::date
                                  : p.sql_type == SQL_TYPE_TIME ? CellType::time
                                                                : CellType::datetime;
            return datetime_literal(kind, v.text);
        }
    }
    return v;
}

// ------------------------------------------------------------- wide text

std::string from_wide(const SQLWCHAR *text, SQLINTEGER length)
{
    std::string out;
    if (!text)
        return out;
    std::size_t n = 0;
    if (length == SQL_NTS)
        while (text[n])
            ++n;
    else if (length >= 0)
        n = static_cast<std::size_t>(length);
    else
        throw SqlError("HY090", "Invalid string or buffer length");
    std::u16string units(n, u'\0');
    for (std::size_t i = 0; i < n; ++i)
        units[i] = static_cast<char16_t>(text[i]);
    workbook::append_utf8(units, out);
    return out;
}

bool copy_wide(const std::string &utf8, SQLWCHAR *buffer, SQLLEN buffer_chars, SQLLEN *length_out)
{
    const std::u16string units = workbook::utf8_to_utf16(utf8);
    if (length_out)
        *length_out = static_cast<SQLLEN>(units.size());
    if (!buffer || buffer_chars <= 0)
        return units.empty();
    std::size_t n = std::min(units.size(), static_cast<std::size_t>(buffer_chars) - 1);
    // Never leave half a surrogate pair at the end.
    if (n < units.size() && n > 0 && units[n - 1] >= 0xD800 && units[n - 1] <= 0xDBFF)
        --n;
    for (std::size_t i = 0; i < n; ++i)
        buffer[i] = units[i];
    buffer[n] = 0;
    return n == units.size();
}

} // namespace xlsodbc

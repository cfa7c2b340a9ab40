// Conversions between cells and the application's C buffers: a cell into a
// C type for SQLGetData and bound columns, a bound parameter's C value into
// a cell, and text between UTF-8 and the UTF-16 of the wide entry points.
//
// Cells convert to text (SQL_C_CHAR as UTF-8, SQL_C_WCHAR as UTF-16, in
// pieces when the buffer is short) as Cell::as_text writes them; to every
// integer and floating C type from numbers, dates (their serial day),
// booleans and texts that the number reader reads (22018 otherwise, 22003
// out of range, 01S07 for a fraction cut off); to SQL_C_BIT from 0 and 1;
// and to the date, time and timestamp structures from dates and times,
// from numbers (serial days) and from texts written "2024-01-31",
// "13:45:30" or "2024-01-31 13:45:30".
#ifndef CVSTV_ODBC_CONVERSION_H
#define CVSTV_ODBC_CONVERSION_H

#include "odbc/handles.h"

#include <string>

namespace xlsodbc {

struct Conversion {
    SQLRETURN rc = SQL_SUCCESS;
    bool done = true; // false while a text has pieces left
};

// Converts one cell into the application's buffer, reporting failures on
// `h`. `offset` counts the bytes of a text returned by earlier calls.
Conversion convert_cell(Handle &h, const workbook::Cell &cell, SQLSMALLINT c_type, SQLPOINTER target,
                        SQLLEN length, SQLLEN *indicator, std::size_t &offset);

// The C type SQL_C_DEFAULT means for a column of `sql_type`.
SQLSMALLINT default_c_type(SQLSMALLINT sql_type);

// The value of bound parameter `p` for parameter set `row` (the addresses
// as SQL_ATTR_PARAM_BIND_TYPE and the bind offset place them). Throws
// SqlError for a value that cannot be read.
Value parameter_value(const Statement &s, const BoundParameter &p, std::size_t row);

// UTF-16 (as SQLWCHAR) and UTF-8.
std::string from_wide(const SQLWCHAR *text, SQLINTEGER length_in_chars);
// Copies `utf8` as UTF-16 into a buffer of `buffer_chars` characters (with
// the terminating NUL); `length_out` gets the full length in characters.
// False when it was cut.
bool copy_wide(const std::string &utf8, SQLWCHAR *buffer, SQLLEN buffer_chars, SQLLEN *length_out);

} // namespace xlsodbc

#endif

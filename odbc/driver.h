// The work behind the driver's entry points, shared by the ANSI and the
// wide (UTF-16) forms of each: connecting (connect.cpp), statements and
// cursors (statement.cpp), driver facts (info.cpp). driver_api.cpp holds the
// entry points themselves, which check handles, convert texts and call
// these.
#ifndef CVSTV_ODBC_DRIVER_H
#define CVSTV_ODBC_DRIVER_H

#include "odbc/handles.h"

#include <string>

namespace xlsodbc {

// A caller's buffer for a text: narrow (UTF-8, lengths in bytes) or wide
// (UTF-16, lengths in characters or in bytes, as each ODBC function defines
// them for its W form).
struct TextOut {
    enum class Unit { narrow, wide_chars, wide_bytes };
    SQLPOINTER buffer = nullptr;
    SQLLEN capacity = 0; // in the unit's measure
    Unit unit = Unit::narrow;

    // Writes the text, cut to fit and terminated when there is room at all,
    // and sets `length` to its full length. False when it was cut.
    bool put(const std::string &utf8, SQLLEN *length) const;
};

// Writes a text attribute into `out`; a cut text adds 01004 to `h` and
// answers SQL_SUCCESS_WITH_INFO.
SQLRETURN text_attribute(Handle &h, const std::string &text, const TextOut &out, SQLSMALLINT *length);
SQLRETURN text_attribute(Handle &h, const std::string &text, const TextOut &out, SQLINTEGER *length);

// Connects `dbc` from a connection string (and, with `dsn`, the data
// source's settings in odbc.ini). `completed` receives the connection
// string the driver used.
SQLRETURN open_database(Connection &dbc, const std::string &connection_string, const std::string &dsn,
                        std::string *completed);

Connection &connected(Statement &s);

// Statements.
SQLRETURN prepare(Statement &s, const std::string &sql);
SQLRETURN exec_direct(Statement &s, const std::string &sql);
SQLRETURN execute_prepared(Statement &s);
SQLRETURN fetch(Statement &s);
SQLRETURN get_data(Statement &s, SQLUSMALLINT column, SQLSMALLINT c_type, SQLPOINTER target, SQLLEN length,
                   SQLLEN *indicator);
void start_result(Statement &s, ResultSet rs);
const ColumnInfo &result_column(Statement &s, SQLUSMALLINT column);
SQLRETURN col_attribute(Statement &s, SQLUSMALLINT column, SQLUSMALLINT field, const TextOut &text,
                        SQLSMALLINT *text_length, SQLLEN *number);
SQLRETURN describe_param(Statement &s, SQLUSMALLINT number, SQLSMALLINT *type, SQLULEN *size,
                         SQLSMALLINT *digits, SQLSMALLINT *nullable);
// SQLGetTypeInfo's result set for `sql_type` (SQL_ALL_TYPES for all).
ResultSet type_info(SQLSMALLINT sql_type, bool odbc2_names);

// SQLGetInfo: fills the caller's buffer for `type` (texts in `unit`).
SQLRETURN get_info(Connection &dbc, SQLUSMALLINT type, SQLPOINTER value, SQLSMALLINT buffer_length,
                   SQLSMALLINT *string_length, TextOut::Unit unit);

} // namespace xlsodbc

#endif

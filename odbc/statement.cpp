// Statements and cursors: preparing, executing with parameters (one set or
// an array of them), fetching, SQLGetData, and describing result columns and
// parameters. Entry points in driver_api.cpp call these inside `guarded`,
// so they report failures by throwing SqlError, except where a per-cell
// failure must leave the row readable (get_data, fetch).
#include "odbc/conversion.h"
#include "odbc/driver.h"

#include <sqlucode.h>

#include <algorithm>
#include <cstring>
#include <limits>

namespace xlsodbc {

using workbook::Cell;

bool TextOut::put(const std::string &utf8, SQLLEN *length) const
{
    switch (unit) {
    case Unit::narrow: return copy_text(utf8, static_cast<SQLCHAR *>(buffer), capacity, length);
    case Unit::wide_chars: return copy_wide(utf8, static_cast<SQLWCHAR *>(buffer), capacity, length);
    case Unit::wide_bytes: {
        SQLLEN chars = 0;
        const bool whole = copy_wide(utf8, static_cast<SQLWCHAR *>(buffer),
                                     capacity / static_cast<SQLLEN>(sizeof(SQLWCHAR)), &chars);
        if (length)
            *length = chars * static_cast<SQLLEN>(sizeof(SQLWCHAR));
        return whole;
    }
    }
    return false;
}

namespace {

// The text into the caller's buffer, its full length into *length (kept
// within the length type's range), and 01004 when the buffer cut it.
template <class Length>
SQLRETURN put_text_attribute(Handle &h, const std::string &text, const TextOut &out, Length *length)
{
    SQLLEN full = 0;
    const bool whole = out.put(text, &full);
    if (length)
        *length = static_cast<Length>(std::min<SQLLEN>(full, std::numeric_limits<Length>::max()));
    if (!whole && out.buffer) {
        h.diag.add("01004", "String data, right truncated");
        return SQL_SUCCESS_WITH_INFO;
    }
    return SQL_SUCCESS;
}

} // namespace

SQLRETURN text_attribute(Handle &h, const std::string &text, const TextOut &out, SQLSMALLINT *length)
{
    return put_text_attribute(h, text, out, length);
}

SQLRETURN text_attribute(Handle &h, const std::string &text, const TextOut &out, SQLINTEGER *length)
{
    return put_text_attribute(h, text, out, length);
}

void start_result(Statement &s, ResultSet rs)
{
    s.close_cursor();
    s.row_count = static_cast<SQLLEN>(rs.row_count());
    s.get_data_offset.assign(rs.columns.size(), 0);
    s.get_data_done.assign(rs.columns.size(), true);
    s.result = std::move(rs);
}

SQLRETURN prepare(Statement &s, const std::string &sql)
{
    s.close_cursor();
    s.prepared.reset();
    s.prepared = std::make_shared<const ParsedSql>(parse_sql(sql)); // syntax errors are reported here
    return SQL_SUCCESS;
}

SQLRETURN exec_direct(Statement &s, const std::string &sql)
{
    s.prepared.reset();
    s.close_cursor();
    s.prepared = std::make_shared<const ParsedSql>(parse_sql(sql));
    return execute_prepared(s);
}

SQLRETURN execute_prepared(Statement &s)
{
    if (!s.prepared)
        throw SqlError("HY010", "Function sequence error: no prepared statement");
    Connection &dbc = connected(s);
    s.close_cursor();
    s.row_count = -1;
    const ParsedSql &sql = *s.prepared;
    const std::size_t count = static_cast<std::size_t>(sql.parameter_count);
    for (std::size_t i = 0; i < count; ++i)
        if (i >= s.parameters.size() || !s.parameters[i].bound)
            throw SqlError("07002",
                           "COUNT field incorrect: parameter " + std::to_string(i + 1) + " is not bound");

    // The parameter sets: one, or each row of the parameter arrays that is
    // not to be ignored.
    const std::size_t sets = count == 0 ? 1 : std::max<SQLULEN>(s.paramset_size, 1);
    if (sets > 1 && std::holds_alternative<Select>(sql.statement))
        throw SqlError("HYC00", "Optional feature not implemented: parameter arrays with SELECT");
    std::vector<std::vector<Value>> values;
    std::vector<std::size_t> row_of;
    for (std::size_t r = 0; r < sets; ++r) {
        if (s.param_operation && s.param_operation[r] == SQL_PARAM_IGNORE) {
            if (s.param_status)
                s.param_status[r] = SQL_PARAM_UNUSED;
            continue;
        }
        std::vector<Value> row;
        row.reserve(count);
        for (std::size_t i = 0; i < count; ++i)
            row.push_back(parameter_value(s, s.parameters[i], r));
        values.push_back(std::move(row));
        row_of.push_back(r);
    }
    std::size_t done = 0;
    Outcome o;
    try {
        o = dbc.db->execute_many(sql, values, done);
    } catch (const SqlError &) {
        // In auto-commit mode a failing set leaves none written.
        const bool kept = !dbc.db->autocommit();
        for (std::size_t k = 0; k < row_of.size(); ++k)
            if (s.param_status)
                s.param_status[row_of[k]] = k == done          ? SQL_PARAM_ERROR
                                            : k < done && kept ? SQL_PARAM_SUCCESS
                                                               : SQL_PARAM_UNUSED;
        if (s.params_processed)
            *s.params_processed = std::min(done + 1, row_of.size());
        throw;
    }
    for (std::size_t k = 0; k < row_of.size() && s.param_status; ++k)
        s.param_status[row_of[k]] = SQL_PARAM_SUCCESS;
    if (s.params_processed)
        *s.params_processed = row_of.size();
    if (o.result) {
        start_result(s, std::move(*o.result));
        return SQL_SUCCESS;
    }
    s.row_count = o.rows_affected;
    // ODBC 3: a searched UPDATE or DELETE that touched no row answers SQL_NO_DATA.
    if (o.searched_change && o.rows_affected == 0 && dbc.env->odbc_version != SQL_OV_ODBC2)
        return SQL_NO_DATA;
    return SQL_SUCCESS;
}

// One column of the current row into the application's buffer. Reports its
// diagnostics on the statement without throwing: a client that probes for
// the last column calls this once per row with a column too many.
SQLRETURN get_data(Statement &s, SQLUSMALLINT column, SQLSMALLINT c_type, SQLPOINTER target, SQLLEN length,
                   SQLLEN *indicator)
{
    if (!s.result || !s.current_row) {
        s.diag.add("24000", "Invalid cursor state: no current row");
        return SQL_ERROR;
    }
    const ResultSet &rs = *s.result;
    if (column < 1 || column > rs.columns.size()) {
        s.diag.add("07009", "Invalid descriptor index: column " + std::to_string(column));
        return SQL_ERROR;
    }
    const std::size_t c = column - 1;
    if (s.get_data_done[c])
        return SQL_NO_DATA;
    if (c_type == SQL_C_DEFAULT)
        c_type = default_c_type(rs.columns[c].sql_type);
    const Cell *cell = rs.cell(*s.current_row, c);
    if (!cell) {
        if (!indicator) {
            s.diag.add("22002", "Indicator variable required but not supplied");
            return SQL_ERROR;
        }
        *indicator = SQL_NULL_DATA;
        s.get_data_done[c] = true;
        return SQL_SUCCESS;
    }
    Conversion conv = convert_cell(s, *cell, c_type, target, length, indicator, s.get_data_offset[c]);
    s.get_data_done[c] = conv.done;
    return conv.rc;
}

SQLRETURN fetch(Statement &s)
{
    if (!s.result)
        throw SqlError("24000", "Invalid cursor state: no result set");
    std::size_t limit = s.result->row_count();
    if (s.max_rows > 0)
        limit = std::min<std::size_t>(limit, s.max_rows);
    if (s.next_row >= limit) {
        s.current_row.reset();
        if (s.rows_fetched_ptr)
            *s.rows_fetched_ptr = 0;
        return SQL_NO_DATA;
    }
    s.current_row = s.next_row++;
    std::fill(s.get_data_offset.begin(), s.get_data_offset.end(), 0);
    std::fill(s.get_data_done.begin(), s.get_data_done.end(), false);
    if (s.rows_fetched_ptr)
        *s.rows_fetched_ptr = 1;
    SQLRETURN rc = SQL_SUCCESS;
    for (std::size_t c = 0; c < s.bindings.size() && c < s.result->columns.size(); ++c) {
        const BoundColumn &b = s.bindings[c];
        if (!b.target && !b.indicator)
            continue;
        SQLRETURN r =
            get_data(s, static_cast<SQLUSMALLINT>(c + 1), b.c_type, b.target, b.length, b.indicator);
        if (r == SQL_ERROR)
            return r; // the row stays fetched; its diagnostic explains the column
        s.get_data_done[c] = false;
        s.get_data_offset[c] = 0;
        if (r == SQL_SUCCESS_WITH_INFO)
            rc = SQL_SUCCESS_WITH_INFO;
    }
    if (s.row_status_ptr)
        *s.row_status_ptr = rc == SQL_SUCCESS ? SQL_ROW_SUCCESS : SQL_ROW_SUCCESS_WITH_INFO;
    return rc;
}

const ColumnInfo &result_column(Statement &s, SQLUSMALLINT column)
{
    if (!s.result)
        throw SqlError("07005", "Prepared statement not a cursor-specification");
    if (column < 1 || column > s.result->columns.size())
        throw SqlError("07009", "Invalid descriptor index: column " + std::to_string(column));
    return s.result->columns[column - 1];
}

namespace {

SQLLEN display_size(const ColumnInfo &c)
{
    switch (c.sql_type) {
    case SQL_DOUBLE: return 24;
    case SQL_SMALLINT: return 6;
    case SQL_INTEGER: return 11;
    case SQL_BIT: return 1;
    case SQL_TYPE_DATE: return 10;
    case SQL_TYPE_TIME: return 8;
    case SQL_TYPE_TIMESTAMP: return 19;
    default: return static_cast<SQLLEN>(c.size);
    }
}

} // namespace

SQLRETURN col_attribute(Statement &s, SQLUSMALLINT column, SQLUSMALLINT field, const TextOut &text,
                        SQLSMALLINT *text_length, SQLLEN *number)
{
    auto num = [&](SQLLEN v) {
        if (number)
            *number = v;
        return SQL_SUCCESS;
    };
    if (field == SQL_DESC_COUNT || field == SQL_COLUMN_COUNT) {
        if (!s.result)
            throw SqlError("07005", "Prepared statement not a cursor-specification");
        return num(static_cast<SQLLEN>(s.result->columns.size()));
    }
    const ColumnInfo &c = result_column(s, column);
    const bool is_text = c.sql_type == SQL_VARCHAR;
    const bool is_number =
        c.sql_type == SQL_DOUBLE || c.sql_type == SQL_INTEGER || c.sql_type == SQL_SMALLINT;
    switch (field) {
    case SQL_DESC_NAME:
    case SQL_DESC_LABEL:
    case SQL_DESC_BASE_COLUMN_NAME:
    case SQL_COLUMN_NAME: return text_attribute(s, c.name, text, text_length);
    case SQL_DESC_TYPE_NAME: return text_attribute(s, c.type_name, text, text_length);
    case SQL_DESC_TABLE_NAME:
    case SQL_DESC_BASE_TABLE_NAME: return text_attribute(s, c.table, text, text_length);
    case SQL_DESC_CATALOG_NAME:
        return text_attribute(s, c.table.empty() ? std::string() : connected(s).db->options().catalog, text,
                              text_length);
    case SQL_DESC_SCHEMA_NAME:
    case SQL_DESC_LOCAL_TYPE_NAME: return text_attribute(s, std::string(), text, text_length);
    case SQL_DESC_LITERAL_PREFIX:
    case SQL_DESC_LITERAL_SUFFIX: return text_attribute(s, is_text ? "'" : "", text, text_length);
    case SQL_DESC_CONCISE_TYPE: return num(c.sql_type);
    case SQL_DESC_TYPE: return num(c.verbose_type());
    case SQL_DESC_DATETIME_INTERVAL_CODE: return num(c.is_datetime() ? c.datetime_subcode() : 0);
    case SQL_DESC_LENGTH:
    case SQL_COLUMN_LENGTH: return num(is_text ? static_cast<SQLLEN>(c.size) : c.octet_length());
    case SQL_DESC_PRECISION:
    case SQL_COLUMN_PRECISION: return num(c.is_datetime() ? 0 : static_cast<SQLLEN>(c.size));
    case SQL_DESC_OCTET_LENGTH: return num(c.octet_length());
    case SQL_DESC_SCALE:
    case SQL_COLUMN_SCALE: return num(c.decimal_digits);
    case SQL_DESC_DISPLAY_SIZE: return num(display_size(c));
    case SQL_DESC_NULLABLE:
    case SQL_COLUMN_NULLABLE: return num(c.nullable);
    case SQL_DESC_UNSIGNED: return num(is_number ? SQL_FALSE : SQL_TRUE);
    case SQL_DESC_FIXED_PREC_SCALE:
    case SQL_DESC_AUTO_UNIQUE_VALUE:
    case SQL_DESC_CASE_SENSITIVE: return num(SQL_FALSE);
    case SQL_DESC_SEARCHABLE: return num(SQL_PRED_SEARCHABLE);
    case SQL_DESC_UPDATABLE: return num(SQL_ATTR_READONLY);
    case SQL_DESC_NUM_PREC_RADIX: return num(is_number ? 10 : 0);
    case SQL_DESC_UNNAMED: return num(SQL_NAMED);
    default: throw SqlError("HY091", "Invalid descriptor field identifier: " + std::to_string(field));
    }
}

SQLRETURN describe_param(Statement &s, SQLUSMALLINT number, SQLSMALLINT *type, SQLULEN *size,
                         SQLSMALLINT *digits, SQLSMALLINT *nullable)
{
    if (!s.prepared)
        throw SqlError("HY010", "Function sequence error: no prepared statement");
    if (number < 1 || number > s.prepared->parameter_count)
        throw SqlError("07009", "Invalid descriptor index: parameter " + std::to_string(number));
    const ParameterInfo info = connected(s).db->describe_parameter(*s.prepared, number - 1);
    if (type)
        *type = info.sql_type;
    if (size)
        *size = info.size;
    if (digits)
        *digits = info.decimal_digits;
    if (nullable)
        *nullable = SQL_NULLABLE;
    return SQL_SUCCESS;
}

ResultSet type_info(SQLSMALLINT sql_type, bool odbc2_names)
{
    auto column = [](const char *name, SQLSMALLINT type, SQLSMALLINT nullable = SQL_NULLABLE) {
        ColumnInfo c;
        c.name = name;
        c.sql_type = type;
        c.nullable = nullable;
        if (type == SQL_SMALLINT) {
            c.type_name = "SMALLINT";
            c.size = 5;
        } else if (type == SQL_INTEGER) {
            c.type_name = "INTEGER";
            c.size = 10;
        }
        return c;
    };
    ResultSet rs;
    rs.columns = {column("TYPE_NAME", SQL_VARCHAR, SQL_NO_NULLS),
                  column("DATA_TYPE", SQL_SMALLINT, SQL_NO_NULLS),
                  column(odbc2_names ? "PRECISION" : "COLUMN_SIZE", SQL_INTEGER),
                  column("LITERAL_PREFIX", SQL_VARCHAR),
                  column("LITERAL_SUFFIX", SQL_VARCHAR),
                  column("CREATE_PARAMS", SQL_VARCHAR),
                  column("NULLABLE", SQL_SMALLINT, SQL_NO_NULLS),
                  column("CASE_SENSITIVE", SQL_SMALLINT, SQL_NO_NULLS),
                  column("SEARCHABLE", SQL_SMALLINT, SQL_NO_NULLS),
                  column("UNSIGNED_ATTRIBUTE", SQL_SMALLINT),
                  column(odbc2_names ? "MONEY" : "FIXED_PREC_SCALE", SQL_SMALLINT, SQL_NO_NULLS),
                  column(odbc2_names ? "AUTO_INCREMENT" : "AUTO_UNIQUE_VALUE", SQL_SMALLINT),
                  column("LOCAL_TYPE_NAME", SQL_VARCHAR),
                  column("MINIMUM_SCALE", SQL_SMALLINT),
                  column("MAXIMUM_SCALE", SQL_SMALLINT),
                  column("SQL_DATA_TYPE", SQL_SMALLINT, SQL_NO_NULLS),
                  column("SQL_DATETIME_SUB", SQL_SMALLINT),
                  column("NUM_PREC_RADIX", SQL_INTEGER),
                  column("INTERVAL_PRECISION", SQL_SMALLINT)};
    struct Type {
        const char *name;
        SQLSMALLINT type, verbose, sub;
        int size;
        const char *prefix, *suffix, *params;
        bool number;
    };
    // Ordered by DATA_TYPE, as SQLGetTypeInfo answers.
    static const Type types[] = {
        {"BIT", SQL_BIT, SQL_BIT, 0, 1, nullptr, nullptr, nullptr, false},
        {"NUMBER", SQL_DOUBLE, SQL_DOUBLE, 0, 15, nullptr, nullptr, nullptr, true},
        {"VARCHAR", SQL_VARCHAR, SQL_VARCHAR, 0, 32767, "'", "'", "max length", false},
        {"DATE", SQL_TYPE_DATE, SQL_DATETIME, SQL_CODE_DATE, 10, "{d '", "'}", nullptr, false},
        {"TIME", SQL_TYPE_TIME, SQL_DATETIME, SQL_CODE_TIME, 8, "{t '", "'}", nullptr, false},
        {"DATETIME", SQL_TYPE_TIMESTAMP, SQL_DATETIME, SQL_CODE_TIMESTAMP, 19, "{ts '", "'}", nullptr, false},
    };
    auto text = [](const char *t) { return t ? Cell::make_text(t) : Cell{}; };
    for (const Type &t : types) {
        if (sql_type != SQL_ALL_TYPES && sql_type != t.type)
            continue;
        rs.owned.push_back(
            {Cell::make_text(t.name), Cell::make_integer(t.type), Cell::make_integer(t.size), text(t.prefix),
             text(t.suffix), text(t.params), Cell::make_integer(SQL_NULLABLE), Cell::make_integer(SQL_FALSE),
             Cell::make_integer(SQL_SEARCHABLE), t.number ? Cell::make_integer(SQL_FALSE) : Cell{},
             Cell::make_integer(SQL_FALSE), Cell{}, Cell::make_text(t.name),
             t.type == SQL_TYPE_TIMESTAMP ? Cell::make_integer(0) : Cell{},
             t.type == SQL_TYPE_TIMESTAMP ? Cell::make_integer(0) : Cell{}, Cell::make_integer(t.verbose),
             t.sub ? Cell::make_integer(t.sub) : Cell{}, t.number ? Cell::make_integer(2) : Cell{}, Cell{}});
    }
    return rs;
}

} // namespace xlsodbc

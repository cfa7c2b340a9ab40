// SQLGetInfo answers: what a client asks about the driver and the workbook.
//
// Transactions cover every statement (SQL_TC_ALL): in manual-commit mode the
// changes are written once, at commit, and cursors survive commit and
// rollback. There is one forward-only, read-only cursor per statement;
// parameters, parameter arrays and the SQL of sql_parser.h; no procedures,
// no schemas; the catalog is the workbook (its path without ".xls"), and a
// table is a worksheet.
#include "odbc/driver.h"

#include <algorithm>
#include <cstring>
#include <variant>

namespace xlsodbc {
namespace {

using Answer = std::variant<std::monostate, std::string, SQLUSMALLINT, SQLUINTEGER>;

Answer answer(Connection &dbc, SQLUSMALLINT type)
{
    const DatabaseOptions *db = dbc.db ? &dbc.db->options() : nullptr;
    auto yn = [](bool b) { return std::string(b ? "Y" : "N"); };
    auto u16 = [](unsigned v) { return static_cast<SQLUSMALLINT>(v); };
    auto u32 = [](unsigned long v) { return static_cast<SQLUINTEGER>(v); };
    switch (type) {
    // Driver and data source.
    case SQL_DRIVER_NAME: return std::string("libcvstv_xls_odbc.so");
    case SQL_DRIVER_VER: return std::string("01.00.0000");
    case SQL_DRIVER_ODBC_VER: return std::string("03.00");
    case SQL_ODBC_VER: return std::string("03.00.0000");
    case SQL_DATA_SOURCE_NAME: return dbc.dsn;
    case SQL_SERVER_NAME: return std::string("workbook");
    case SQL_DATABASE_NAME: return db ? db->catalog : std::string();
    case SQL_DBMS_NAME: return std::string("XLS Workbook");
    case SQL_DBMS_VER: return std::string("08.00.0000 BIFF8");
    case SQL_USER_NAME: return std::string();
    case SQL_DATA_SOURCE_READ_ONLY: return yn(db && db->read_only);
    case SQL_ACCESSIBLE_TABLES: return yn(true);
    case SQL_ACCESSIBLE_PROCEDURES: return yn(false);
    case SQL_PROCEDURES: return yn(false);
    case SQL_ODBC_SQL_CONFORMANCE: return u16(SQL_OSC_MINIMUM);
    case SQL_ODBC_API_CONFORMANCE: return u16(SQL_OAC_LEVEL1);
    case SQL_ODBC_SAG_CLI_CONFORMANCE: return u16(SQL_OSCC_COMPLIANT);
    case SQL_ODBC_INTERFACE_CONFORMANCE: return u32(SQL_OIC_CORE);
    case SQL_SQL_CONFORMANCE: return u32(SQL_SC_SQL92_ENTRY);
    case SQL_STANDARD_CLI_CONFORMANCE: return u32(0);
    case SQL_FILE_USAGE: return u16(SQL_FILE_CATALOG);
    case SQL_ACTIVE_ENVIRONMENTS: return u16(0);
    case SQL_ASYNC_MODE: return u32(SQL_AM_NONE);
    case SQL_MAX_ASYNC_CONCURRENT_STATEMENTS: return u32(0);
    case SQL_BATCH_SUPPORT: return u32(0);
    case SQL_BATCH_ROW_COUNT: return u32(0);
    case SQL_PARAM_ARRAY_ROW_COUNTS: return u32(SQL_PARC_NO_BATCH);
    case SQL_PARAM_ARRAY_SELECTS: return u32(SQL_PAS_NO_SELECT);
    case SQL_DESCRIBE_PARAMETER: return yn(true);
    case SQL_NEED_LONG_DATA_LEN: return yn(false);
    case SQL_MULT_RESULT_SETS: return yn(false);
    case SQL_MULTIPLE_ACTIVE_TXN: return yn(true);
    case SQL_ROW_UPDATES: return yn(false);
    case SQL_GETDATA_EXTENSIONS: return u32(SQL_GD_ANY_COLUMN | SQL_GD_ANY_ORDER | SQL_GD_BOUND);
    // Transactions: every statement; a change holds the workbook's lock
    // until commit, reads see what is committed.
    case SQL_TXN_CAPABLE: return u16(SQL_TC_ALL);
    case SQL_TXN_ISOLATION_OPTION: return u32(SQL_TXN_READ_COMMITTED);
    case SQL_DEFAULT_TXN_ISOLATION: return u32(SQL_TXN_READ_COMMITTED);
    case SQL_CURSOR_COMMIT_BEHAVIOR: return u16(SQL_CB_PRESERVE);
    case SQL_CURSOR_ROLLBACK_BEHAVIOR: return u16(SQL_CB_PRESERVE);
    // Cursors: forward-only, read-only.
    case SQL_SCROLL_OPTIONS: return u32(SQL_SO_FORWARD_ONLY);
    case SQL_SCROLL_CONCURRENCY: return u32(SQL_SCCO_READ_ONLY);
    case SQL_CURSOR_SENSITIVITY: return u32(SQL_INSENSITIVE);
    case SQL_STATIC_SENSITIVITY: return u32(0);
    case SQL_FETCH_DIRECTION: return u32(SQL_FD_FETCH_NEXT);
    case SQL_LOCK_TYPES: return u32(0);
    case SQL_POS_OPERATIONS: return u32(0);
    case SQL_POSITIONED_STATEMENTS: return u32(0);
    case SQL_BOOKMARK_PERSISTENCE: return u32(0);
    case SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES1: return u32(SQL_CA1_NEXT);
    case SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES2:
        return u32(SQL_CA2_READ_ONLY_CONCURRENCY | SQL_CA2_MAX_ROWS_SELECT);
    case SQL_STATIC_CURSOR_ATTRIBUTES1:
    case SQL_STATIC_CURSOR_ATTRIBUTES2:
    case SQL_KEYSET_CURSOR_ATTRIBUTES1:
    case SQL_KEYSET_CURSOR_ATTRIBUTES2:
    case SQL_DYNAMIC_CURSOR_ATTRIBUTES1:
    case SQL_DYNAMIC_CURSOR_ATTRIBUTES2: return u32(0);
    case SQL_MAX_CONCURRENT_ACTIVITIES: return u16(0);
    case SQL_MAX_DRIVER_CONNECTIONS: return u16(0);
    // Names and identifiers.
    case SQL_IDENTIFIER_QUOTE_CHAR: return std::string("`");
    case SQL_IDENTIFIER_CASE: return u16(SQL_IC_MIXED);
    case SQL_QUOTED_IDENTIFIER_CASE: return u16(SQL_IC_MIXED);
    case SQL_SEARCH_PATTERN_ESCAPE: return std::string("\\");
    case SQL_SPECIAL_CHARACTERS: return std::string("#@$ ");
    case SQL_KEYWORDS: return std::string();
    case SQL_LIKE_ESCAPE_CLAUSE: return yn(true);
    case SQL_CATALOG_NAME: return yn(true);
    case SQL_CATALOG_NAME_SEPARATOR: return std::string(".");
    case SQL_CATALOG_TERM: return std::string("workbook");
    case SQL_CATALOG_LOCATION: return u16(SQL_CL_START);
    case SQL_CATALOG_USAGE: return u32(0);
    case SQL_SCHEMA_TERM: return std::string();
    case SQL_SCHEMA_USAGE: return u32(0);
    case SQL_TABLE_TERM: return std::string("table");
    case SQL_PROCEDURE_TERM: return std::string();
    case SQL_COLLATION_SEQ: return std::string();
    case SQL_MAX_CATALOG_NAME_LEN: return u16(260);
    case SQL_MAX_SCHEMA_NAME_LEN: return u16(0);
    case SQL_MAX_TABLE_NAME_LEN: return u16(32);
    case SQL_MAX_COLUMN_NAME_LEN: return u16(255);
    case SQL_MAX_IDENTIFIER_LEN: return u16(255);
    case SQL_MAX_CURSOR_NAME_LEN: return u16(0);
    case SQL_MAX_PROCEDURE_NAME_LEN: return u16(0);
    case SQL_MAX_USER_NAME_LEN: return u16(0);
    case SQL_MAX_COLUMNS_IN_TABLE: return u16(256);
    case SQL_MAX_COLUMNS_IN_SELECT: return u16(256);
    case SQL_MAX_COLUMNS_IN_INDEX:
    case SQL_MAX_COLUMNS_IN_GROUP_BY:
    case SQL_MAX_COLUMNS_IN_ORDER_BY: return u16(0);
    case SQL_MAX_TABLES_IN_SELECT: return u16(1);
    case SQL_MAX_CHAR_LITERAL_LEN: return u32(32767);
    case SQL_MAX_BINARY_LITERAL_LEN: return u32(0);
    case SQL_MAX_INDEX_SIZE: return u32(0);
    case SQL_MAX_ROW_SIZE: return u32(0);
    case SQL_MAX_ROW_SIZE_INCLUDES_LONG: return yn(false);
    case SQL_MAX_STATEMENT_LEN: return u32(0);
    // SQL: the subset in sql_parser.h.
    case SQL_DDL_INDEX: return u32(0);
    case SQL_CREATE_TABLE: return u32(SQL_CT_CREATE_TABLE | SQL_CT_COLUMN_CONSTRAINT);
    case SQL_DROP_TABLE: return u32(SQL_DT_DROP_TABLE);
    case SQL_ALTER_TABLE: return u32(0);
    case SQL_CREATE_VIEW:
    case SQL_DROP_VIEW:
    case SQL_CREATE_SCHEMA:
    case SQL_DROP_SCHEMA:
    case SQL_CREATE_ASSERTION:
    case SQL_DROP_ASSERTION:
    case SQL_CREATE_CHARACTER_SET:
    case SQL_DROP_CHARACTER_SET:
    case SQL_CREATE_COLLATION:
    case SQL_DROP_COLLATION:
    case SQL_CREATE_DOMAIN:
    case SQL_DROP_DOMAIN:
    case SQL_CREATE_TRANSLATION:
    case SQL_DROP_TRANSLATION: return u32(0);
    case SQL_INSERT_STATEMENT: return u32(SQL_IS_INSERT_LITERALS);
    case SQL_SQL92_DATETIME_FUNCTIONS:
    case SQL_SQL92_FOREIGN_KEY_DELETE_RULE:
    case SQL_SQL92_FOREIGN_KEY_UPDATE_RULE:
    case SQL_SQL92_GRANT:
    case SQL_SQL92_NUMERIC_VALUE_FUNCTIONS:
    case SQL_SQL92_RELATIONAL_JOIN_OPERATORS:
    case SQL_SQL92_REVOKE:
    case SQL_SQL92_ROW_VALUE_CONSTRUCTOR:
    case SQL_SQL92_STRING_FUNCTIONS:
    case SQL_SQL92_VALUE_EXPRESSIONS: return u32(0);
    case SQL_SQL92_PREDICATES:
        return u32(SQL_SP_COMPARISON | SQL_SP_IN | SQL_SP_ISNULL | SQL_SP_ISNOTNULL | SQL_SP_LIKE |
                   SQL_SP_BETWEEN);
    case SQL_AGGREGATE_FUNCTIONS:
        return u32(SQL_AF_ALL | SQL_AF_AVG | SQL_AF_COUNT | SQL_AF_MAX | SQL_AF_MIN | SQL_AF_SUM);
    case SQL_NUMERIC_FUNCTIONS:
    case SQL_STRING_FUNCTIONS:
    case SQL_SYSTEM_FUNCTIONS:
    case SQL_TIMEDATE_FUNCTIONS:
    case SQL_TIMEDATE_ADD_INTERVALS:
    case SQL_TIMEDATE_DIFF_INTERVALS:
    case SQL_CONVERT_FUNCTIONS:
    case SQL_INDEX_KEYWORDS:
    case SQL_INFO_SCHEMA_VIEWS:
    case SQL_SUBQUERIES:
    case SQL_UNION:
    case SQL_OJ_CAPABILITIES: return u32(0);
    case SQL_DATETIME_LITERALS: return u32(SQL_DL_SQL92_DATE | SQL_DL_SQL92_TIME | SQL_DL_SQL92_TIMESTAMP);
    case SQL_CONVERT_BIGINT:
    case SQL_CONVERT_BINARY:
    case SQL_CONVERT_BIT:
    case SQL_CONVERT_CHAR:
    case SQL_CONVERT_DATE:
    case SQL_CONVERT_DECIMAL:
    case SQL_CONVERT_DOUBLE:
    case SQL_CONVERT_FLOAT:
    case SQL_CONVERT_INTEGER:
    case SQL_CONVERT_LONGVARCHAR:
    case SQL_CONVERT_NUMERIC:
    case SQL_CONVERT_REAL:
    case SQL_CONVERT_SMALLINT:
    case SQL_CONVERT_TIME:
    case SQL_CONVERT_TIMESTAMP:
    case SQL_CONVERT_TINYINT:
    case SQL_CONVERT_VARBINARY:
    case SQL_CONVERT_VARCHAR:
    case SQL_CONVERT_LONGVARBINARY:
    case SQL_CONVERT_WCHAR:
    case SQL_CONVERT_WLONGVARCHAR:
    case SQL_CONVERT_WVARCHAR: return u32(0);
    case SQL_COLUMN_ALIAS: return yn(true);
    case SQL_CORRELATION_NAME: return u16(SQL_CN_NONE);
    case SQL_EXPRESSIONS_IN_ORDERBY: return yn(false);
    case SQL_ORDER_BY_COLUMNS_IN_SELECT: return yn(false);
    case SQL_GROUP_BY: return u16(SQL_GB_NOT_SUPPORTED);
    case SQL_OUTER_JOINS: return yn(false);
    case SQL_NON_NULLABLE_COLUMNS: return u16(SQL_NNC_NULL);
    case SQL_NULL_COLLATION: return u16(SQL_NC_LOW);
    case SQL_CONCAT_NULL_BEHAVIOR: return u16(SQL_CB_NULL);
    case SQL_INTEGRITY: return yn(false);
    case SQL_XOPEN_CLI_YEAR: return std::string("1995");
    default: return std::monostate{};
    }
}

} // namespace

bool copy_text(const std::string &text, SQLCHAR *buffer, SQLLEN buffer_length, SQLLEN *length_out)
{
    if (length_out)
        *length_out = static_cast<SQLLEN>(text.size());
    if (!buffer || buffer_length <= 0)
        return text.empty();
    const std::size_t room = static_cast<std::size_t>(buffer_length) - 1;
    std::size_t n = std::min(room, text.size());
    // Never cut a UTF-8 character in half.
    while (n < text.size() && n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
        --n;
    std::memcpy(buffer, text.data(), n);
    buffer[n] = 0;
    return n == text.size();
}

bool copy_text(const std::string &text, SQLCHAR *buffer, SQLSMALLINT buffer_length, SQLSMALLINT *length_out)
{
    SQLLEN full = 0;
    bool whole = copy_text(text, buffer, static_cast<SQLLEN>(buffer_length), &full);
    if (length_out)
        *length_out = static_cast<SQLSMALLINT>(std::min<SQLLEN>(full, 32767));
    return whole;
}

SQLRETURN get_info(Connection &dbc, SQLUSMALLINT type, SQLPOINTER value, SQLSMALLINT buffer_length,
                   SQLSMALLINT *string_length, TextOut::Unit unit)
{
    Answer a = answer(dbc, type);
    if (std::holds_alternative<std::monostate>(a)) {
        dbc.diag.add("HY096", "Information type out of range: " + std::to_string(type));
        return SQL_ERROR;
    }
    if (auto *s = std::get_if<std::string>(&a))
        return text_attribute(dbc, *s, TextOut{value, buffer_length, unit}, string_length);
    if (auto *v = std::get_if<SQLUSMALLINT>(&a)) {
        if (value)
            std::memcpy(value, v, sizeof *v);
        if (string_length)
            *string_length = sizeof *v;
        return SQL_SUCCESS;
    }
    const SQLUINTEGER v = std::get<SQLUINTEGER>(a);
    if (value)
        std::memcpy(value, &v, sizeof v);
    if (string_length)
        *string_length = sizeof v;
    return SQL_SUCCESS;
}

} // namespace xlsodbc

// Tables, records and catalogue queries of the workbook database.
//
// Every statement is built as text (gxdb_sql.cpp) and executed directly on
// the module's statement handle; a statement that cannot be built within its
// limits is refused with -1 before it reaches the driver. The functions that
// change sheets go to the host's tooling utilities instead when automation
// is chosen and GXDB_Connect_RW_Mode left a workbook handle; the record
// updates, deletes and queries are ODBC only. Queries that return rows close
// their cursor on every path, so the next statement starts clean.
#include "gxdb_internal.h"
#include "util/boundary.h"
#include "gxdb_sql.h"

#include "cvstvshare/util.h"
#include "util/str_list.h"
#include "util/text_buffer.h"

#include "hx_memory.h"
#include "hx_messages.h"
#include "hx_spreadsheet.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <vector>

namespace cvstv::gxdb {

namespace {

constexpr std::size_t column_text_size = 256;  // a value fetched as text: 255 characters
constexpr std::size_t query_text_size = 100;   // a text field of GXDB_Query_Record: 99 characters
constexpr std::size_t quoted_text_limit = 132; // automation text value with its leading "'"
constexpr std::size_t record_text_limit = 5375;

// Closes the statement's cursor when a query ends, on every path.
class CursorGuard {
  public:
    explicit CursorGuard(SQLHSTMT stmt) : stmt_(stmt) {}
    ~CursorGuard()
    {
        if (stmt_ != SQL_NULL_HSTMT)
            SQLFreeStmt(stmt_, SQL_CLOSE);
    }
    CursorGuard(const CursorGuard &) = delete;
    CursorGuard &operator=(const CursorGuard &) = delete;

  private:
    SQLHSTMT stmt_;
};

// Executes a query, leaving its result open.
SQLRETURN open_query(SQLHSTMT stmt, const std::string &sql)
{
    SQLFreeStmt(stmt, SQL_CLOSE);
    std::string text = sql;
    return SQLExecDirect(stmt, reinterpret_cast<SQLCHAR *>(text.data()), SQL_NTS);
}

// Column `column` of the current row as text in `buffer` (at most
// `capacity` bytes with the terminator); false when it cannot be read. A NULL
// value reads as the empty text. `out` points into `buffer`.
bool column_view(SQLHSTMT stmt, SQLUSMALLINT column, char *buffer, std::size_t capacity,
                 std::string_view &out)
{
    buffer[0] = '\0';
    SQLLEN indicator = 0;
    SQLRETURN rc = SQLGetData(stmt, column, SQL_C_CHAR, buffer, static_cast<SQLLEN>(capacity), &indicator);
    if (!SQL_SUCCEEDED(rc))
        return false;
    out =
        indicator == SQL_NULL_DATA ? std::string_view() : std::string_view(buffer, strnlen(buffer, capacity));
    return true;
}

// Column `column` of the current row as text; false when it cannot be read.
// A NULL value reads as the empty text.
bool column_text(SQLHSTMT stmt, SQLUSMALLINT column, std::string &out,
                 std::size_t capacity = column_text_size)
{
    char buffer[column_text_size];
    std::string_view text;
    if (!column_view(stmt, column, buffer, std::min(capacity, sizeof buffer), text))
        return false;
    out.assign(text);
    return true;
}

void show_error_text()
{
    std::string text = last_error_text();
    if (!text.empty())
        HX_message_box(HX_SEVERITY_ERROR, text.c_str());
}

// The out list is written once, when it is complete.
int hand_out_list(const std::vector<std::string> &items, char ***names, int *count)
{
    char **list = nullptr;
    if (append_str_list(&list, items) < 0)
        return -1;
    *names = list;
    *count = str_list_count(list);
    return 0;
}

bool is_generated_column_name(const std::string &name, int column)
{
    return name.rfind('F', 0) == 0 || name.find("F" + std::to_string(column)) != std::string::npos;
}

// The driver's escape for the pattern characters of catalogue arguments;
// 0 when it has none (or not one character).
char pattern_escape()
{
    SQLCHAR escape[8] = "";
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(
            SQLGetInfo(connection().dbc, SQL_SEARCH_PATTERN_ESCAPE, escape, sizeof escape, &length)) ||
        length != 1)
        return '\0';
    return static_cast<char>(escape[0]);
}

// A table name as a catalogue search pattern that matches only itself: '_',
// '%' and the escape character escaped. Without an escape the name goes as
// it is, and the rows of other tables are left out by their name.
std::string table_pattern(std::string_view table)
{
    char escape = pattern_escape();
    std::string pattern;
    pattern.reserve(table.size() * 2);
    for (char c : table) {
        if (escape && (c == '_' || c == '%' || c == escape))
            pattern += escape;
        pattern += c;
    }
    return pattern;
}

bool equal_ignoring_case(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// Whether a catalogue row's table name is the table asked for. Sheet names
// are unique ignoring case, as the driver compares them; a name without "$"
// also names the sheet's table ("Parts" for "Parts$").
bool same_table(std::string_view listed, std::string_view asked)
{
    if (equal_ignoring_case(listed, asked))
        return true;
    return asked.find('$') == std::string_view::npos && listed.size() == asked.size() + 1 &&
           listed.back() == '$' && equal_ignoring_case(listed.substr(0, asked.size()), asked);
}

// Opens the driver's column list of one table; SQLColumns' return code.
SQLRETURN open_columns(SQLHSTMT stmt, std::string_view table)
{
    SQLFreeStmt(stmt, SQL_CLOSE);
    std::string pattern = table_pattern(table);
    return SQLColumns(stmt, nullptr, 0, nullptr, 0, reinterpret_cast<SQLCHAR *>(pattern.data()), SQL_NTS,
                      nullptr, 0);
}

// Fetches the next row of an open column list that belongs to the table.
// SQL_SUCCESS for such a row, otherwise what the fetch returned.
SQLRETURN fetch_column_of(SQLHSTMT stmt, std::string_view table)
{
    for (;;) {
        SQLRETURN rc = SQLFetch(stmt);
        if (rc != SQL_SUCCESS)
            return rc;
        std::string listed;
        if (column_text(stmt, 3, listed) && same_table(listed, table))
            return SQL_SUCCESS;
    }
}

// Host cell values for a row of field values; texts point into values.
std::vector<HX_cell_value> cell_values(int count, const sGXDB_Field_Value *values)
{
    std::vector<HX_cell_value> cells(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        HX_cell_value &cell = cells[static_cast<std::size_t>(i)];
        cell.type = values[i].type;
        switch (values[i].type) {
        case GXDB_VALUE_INTEGER: cell.integer = values[i].value.i; break;
        case GXDB_VALUE_REAL: cell.real = values[i].value.d; break;
        case GXDB_VALUE_TEXT: cell.text = values[i].value.s; break;
        default: cell.type = -1; break;
        }
    }
    return cells;
}

int host_result(int status)
{
    return status == HX_OK ? 0 : -1;
}

} // namespace

int odbc_column_names(const char *table, ColumnNames &names)
try {
    names = ColumnNames{};
    SQLHSTMT stmt = connection().stmt;
    if (stmt == SQL_NULL_HSTMT)
        return -1;
    SQLRETURN rc = open_columns(stmt, table);
    if (!SQL_SUCCEEDED(rc)) {
        GXDB_Display_Infor("\nDatabase returned with error code %d\nPlease check if table name exists", rc);
        return -1;
    }
    CursorGuard cursor(stmt);
    for (int column = 1;; ++column) {
        rc = fetch_column_of(stmt, table);
        if (rc == SQL_NO_DATA)
            break;
        if (rc != SQL_SUCCESS) {
            HX_message_box(HX_SEVERITY_ERROR, "Failed to fetch column names from database");
            break;
        }
        ColumnName name;
        bool readable = column_text(stmt, 4, name.text);
        if (readable && name.text == "NoName") {
            names.columns.push_back({ColumnName::unnamed, {}});
            break;
        }
        ++names.counted;
        if (!readable || name.text.empty())
            name = {ColumnName::unreadable, {}};
        else if (is_generated_column_name(name.text, column))
            name = {ColumnName::unnamed, {}};
        else
            name.kind = ColumnName::named;
        names.columns.push_back(std::move(name));
    }
    return 0;
} catch (const std::bad_alloc &) {
    names = ColumnNames{};
    return -1;
}

int odbc_records(const char *table, Records &records)
try {
    records = Records{};
    SQLHSTMT stmt = connection().stmt;
    auto sql = select_all_sql(table);
    if (!sql || stmt == SQL_NULL_HSTMT)
        return -1;
    if (!SQL_SUCCEEDED(open_query(stmt, *sql))) {
        show_error_text();
        return -1;
    }
    CursorGuard cursor(stmt);
    // Columns are read up to the result's last one (at most 83): the same
    // columns as reading until one fails, without a failing call per row.
    // Should the driver not say how many columns there are, the read stops
    // at the first column that fails.
    int last_column = max_record_columns;
    SQLSMALLINT result_columns = 0;
    if (SQL_SUCCEEDED(SQLNumResultCols(stmt, &result_columns)) && result_columns > 0)
        last_column = std::min<int>(max_record_columns, result_columns);
    char buffer[column_text_size];
    for (;;) {
        SQLRETURN rc = SQLFetch(stmt);
        if (rc == SQL_NO_DATA)
            break;
        if (rc != SQL_SUCCESS) {
            show_error_text();
            break;
        }
        // Every cell of the record counts, not only the first ones: a
        // record whose data lies in its last columns is a record too.
        records.begin_record();
        for (int column = 1; column <= last_column; ++column) {
            std::string_view value;
            if (!column_view(stmt, static_cast<SQLUSMALLINT>(column), buffer, sizeof buffer, value))
                break;
            records.add_cell(value);
        }
        records.end_record();
    }
    return 0;
} catch (const std::bad_alloc &) {
    records = Records{};
    return -1;
}

int odbc_table_names(std::vector<std::string> &tables)
{
    SQLHSTMT stmt = connection().stmt;
    if (stmt == SQL_NULL_HSTMT)
        return -1;
    SQLFreeStmt(stmt, SQL_CLOSE);
    if (!SQL_SUCCEEDED(SQLTables(stmt, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0)))
        return -1;
    CursorGuard cursor(stmt);
    // Sheets are the tables whose names hold "$"; the others are named
    // ranges.
    while (SQL_SUCCEEDED(SQLFetch(stmt))) {
        std::string name;
        if (column_text(stmt, 3, name) && name.find('$') != std::string::npos)
            tables.push_back(name);
    }
    return 0;
}

} // namespace cvstv::gxdb

using namespace cvstv::gxdb;

extern "C" {

CVSTV_API int GXDB_Create_Table(char *table, int count, const sGXDB_Field *fields) noexcept
{
    return cvstv::guarded("GXDB_Create_Table", -1, [&]() -> int {
        if (!table || count < 1 || !fields)
            return -1;
        if (std::strchr(table, '$'))
            table[std::strlen(table) - 1] = '\0';
        if (automation_rw()) {
            int workbook = connection().workbook_handle;
            if (HX_TOOL_add_sheet(workbook, table) != HX_OK)
                return -1;
            std::vector<std::string> names;
            for (int i = 0; i < count; ++i) {
                std::string name(field_name(fields[i]));
                names.push_back(name == "^" ? std::string() : name);
            }
            std::vector<HX_cell_value> cells(names.size());
            for (std::size_t i = 0; i < names.size(); ++i) {
                cells[i].type = GXDB_VALUE_TEXT;
                cells[i].text = names[i].c_str();
            }
            return host_result(HX_TOOL_append_row(workbook, table, count, cells.data()));
        }
        auto sql = create_table_sql(table, count, fields);
        return sql ? execute(*sql) : -1;
    });
}

CVSTV_API int GXDB_Delete_Table(const char *table) noexcept
{
    return cvstv::guarded("GXDB_Delete_Table", -1, [&]() -> int {
        if (!table)
            return -1;
        if (automation_rw())
            return host_result(HX_TOOL_delete_sheet(connection().workbook_handle, table));
        auto sql = drop_table_sql(table);
        return sql ? execute(*sql) : -1;
    });
}

CVSTV_API int GXDB_Add_Record(const char *table, int count, const sGXDB_Field *fields,
                              sGXDB_Field_Value *values) noexcept
{
    return cvstv::guarded("GXDB_Add_Record", -1, [&]() -> int {
        if (!table || count < 1 || !values)
            return -1;
        if (automation_rw()) {
            // The spreadsheet program takes a leading "'" as "this is text", so
            // that a text such as "007" stays text.
            for (int i = 0; i < count; ++i) {
                if (values[i].type != GXDB_VALUE_TEXT)
                    continue;
                std::string text(value_string(values[i]));
                if (text.empty())
                    continue;
                cvstv::copy_bounded(values[i].value.s, quoted_text_limit + 1, "'" + text);
            }
            std::vector<HX_cell_value> cells = cell_values(count, values);
            return host_result(HX_TOOL_append_row(connection().workbook_handle, table, count, cells.data()));
        }
        auto sql = insert_sql(table, count, fields, values);
        return sql ? execute(*sql) : -1;
    });
}

CVSTV_API int GXDB_Add_Blank_Record(const char *table, int count) noexcept
{
    return cvstv::guarded("GXDB_Add_Blank_Record", -1, [&]() -> int {
        if (!table || count < 1)
            return -1;
        if (automation_rw())
            return HX_TOOL_append_blank_row(connection().workbook_handle, table, count);
        auto sql = insert_blank_sql(table, count);
        return sql ? execute_returning_code(*sql) : SQL_ERROR;
    });
}

CVSTV_API int GXDB_Delete_All_Record(const char *table) noexcept
{
    return cvstv::guarded("GXDB_Delete_All_Record", -1, [&]() -> int {
        if (!table)
            return -1;
        if (automation_rw())
            return host_result(HX_TOOL_delete_all_records(connection().workbook_handle, table));
        auto sql = delete_all_sql(table);
        return sql ? execute(*sql) : -1;
    });
}

CVSTV_API int GXDB_Delete_Record(const char *table, int key, const sGXDB_Field *fields,
                                 const sGXDB_Field_Value *values) noexcept
{
    return cvstv::guarded("GXDB_Delete_Record", -1, [&]() -> int {
        if (!table)
            return -1;
        auto sql = delete_record_sql(table, key, fields, values);
        return sql ? execute(*sql) : -1;
    });
}

CVSTV_API int GXDB_Update_Record(const char *table, int count, int key, const sGXDB_Field *fields,
                                 const sGXDB_Field_Value *values) noexcept
{
    return cvstv::guarded("GXDB_Update_Record", -1, [&]() -> int {
        if (!table)
            return -1;
        auto sql = update_sql(table, count, key, fields, values);
        return sql ? execute(*sql) : -1;
    });
}

CVSTV_API int GXDB_Query_Record(const char *table, int count, int key, const sGXDB_Field *fields,
                                sGXDB_Field_Value *values) noexcept
{
    return cvstv::guarded("GXDB_Query_Record", -1, [&]() -> int {
        if (!table)
            return -1;
        auto sql = select_record_sql(table, count, key, fields, values);
        SQLHSTMT stmt = connection().stmt;
        if (!sql || stmt == SQL_NULL_HSTMT)
            return -1;
        if (!SQL_SUCCEEDED(open_query(stmt, *sql)))
            return -1;
        CursorGuard cursor(stmt);
        if (SQLFetch(stmt) != SQL_SUCCESS)
            return -1;
        SQLUSMALLINT column = 0;
        for (int i = 0; i < count; ++i) {
            if (i == key - 1)
                continue;
            ++column;
            sGXDB_Field_Value &v = values[i];
            // An empty cell has no number: a NULL integer or real leaves the
            // caller's value as it was, so a default set beforehand stands. Its
            // text is the empty text.
            SQLLEN indicator = 0;
            SQLRETURN rc = SQL_SUCCESS;
            switch (v.type) {
            case GXDB_VALUE_INTEGER: {
                SQLINTEGER number = 0;
                rc = SQLGetData(stmt, column, SQL_C_SLONG, &number, sizeof number, &indicator);
                if (SQL_SUCCEEDED(rc) && indicator != SQL_NULL_DATA)
                    v.value.i = number;
                break;
            }
            case GXDB_VALUE_REAL: {
                SQLDOUBLE number = 0.0;
                rc = SQLGetData(stmt, column, SQL_C_DOUBLE, &number, sizeof number, &indicator);
                if (SQL_SUCCEEDED(rc) && indicator != SQL_NULL_DATA)
                    v.value.d = number;
                break;
            }
            case GXDB_VALUE_TEXT: {
                std::string text;
                if (!column_text(stmt, column, text, query_text_size))
                    return -1;
                cvstv::copy_bounded(v.value.s, sizeof v.value.s, text);
                break;
            }
            default: break; // not fetched; its column is counted
            }
            if (!SQL_SUCCEEDED(rc))
                return -1;
        }
        return 0;
    });
}

CVSTV_API int GXDB_Change_Table_Names(const char *old_name, const char *new_name) noexcept
{
    return cvstv::guarded("GXDB_Change_Table_Names", -1, [&]() -> int {
        if (!old_name || !new_name)
            return -1;
        if (automation_rw())
            return HX_TOOL_rename_sheet(connection().workbook_handle, old_name, new_name);
        auto sql = rename_table_sql(old_name, new_name);
        SQLRETURN rc = sql ? execute_returning_code(*sql) : SQL_ERROR;
        if (!SQL_SUCCEEDED(rc))
            GXDB_Display_Infor("Failed to rename table.\n");
        return rc;
    });
}

CVSTV_API int GXDB_Query_Table_Names(int *count, char ***names) noexcept
{
    return cvstv::guarded("GXDB_Query_Table_Names", -1, [&]() -> int {
        if (!count || !names)
            return -1;
        *count = 0;
        *names = nullptr;
        if (automation()) {
            const Connection &c = connection();
            int status =
                c.workbook_handle != 0
                    ? HX_TOOL_ask_workbook_sheet_names(c.workbook_handle, names, count)
                    : HX_TOOL_ask_sheet_names(CVSTVSHARE_get_xls_port(), c.workbook.c_str(), names, count);
            return host_result(status);
        }
        std::vector<std::string> tables;
        if (odbc_table_names(tables) != 0)
            return -1;
        return hand_out_list(tables, names, count);
    });
}

CVSTV_API int GXDB_Query_Column_Names(const char *table, int *count, char ***names) noexcept
{
    return cvstv::guarded("GXDB_Query_Column_Names", -1, [&]() -> int {
        if (!table || !count || !names)
            return -1;
        *count = 0;
        *names = nullptr;
        ColumnNames found;
        if (odbc_column_names(table, found) != 0)
            return -1;
        // The documented list: "^" for an unnamed column; an unreadable name
        // adds nothing (the list refuses the empty text) but is counted.
        std::vector<std::string> columns;
        for (const ColumnName &c : found.columns) {
            if (c.kind == ColumnName::named)
                columns.push_back(c.text);
            else if (c.kind == ColumnName::unnamed)
                columns.emplace_back("^");
        }
        if (hand_out_list(columns, names, count) != 0)
            return -1;
        *count = found.counted;
        return 0;
    });
}

CVSTV_API int GXDB_Query_All_Records_In_Table(const char *table, int *rows, int *columns,
                                              char ***records) noexcept
{
    return cvstv::guarded("GXDB_Query_All_Records_In_Table", -1, [&]() -> int {
        if (!table || !rows || !columns || !records)
            return -1;
        *rows = 0;
        *columns = 0;
        *records = nullptr;
        Records found;
        if (odbc_records(table, found) != 0)
            return -1;
        // The documented record texts: '|' and the cell's text, or "^" for an
        // empty cell; cut at their limit; a text that reads as a record of
        // empty cells is not listed.
        std::vector<std::string> listed;
        listed.reserve(found.size());
        int widest = 0;
        for (std::size_t r = 0; r < found.size(); ++r) {
            std::string record;
            int row_widest = 0;
            for (int c = 0; c < found.cell_count(r); ++c) {
                std::string_view cell = found.cell(r, c);
                record += '|';
                if (cell.empty()) {
                    record += '^';
                } else {
                    record += cell;
                    row_widest = c + 1;
                }
            }
            if (record.size() > record_text_limit)
                record.resize(record_text_limit);
            if (GXDB_Check_Empty_Row(static_cast<int>(record.size()), record.c_str()))
                continue;
            listed.push_back(std::move(record));
            widest = std::max(widest, row_widest);
        }
        if (hand_out_list(listed, records, rows) != 0)
            return -1;
        *columns = widest;
        return 0;
    });
}

CVSTV_API int GXDB_Ask_Datafile_Name(const char *table, char *path) noexcept
{
    return cvstv::guarded("GXDB_Ask_Datafile_Name", -1, [&]() -> int {
        if (!table || !path)
            return -1;
        SQLHSTMT stmt = connection().stmt;
        if (stmt == SQL_NULL_HSTMT)
            return -1;
        SQLRETURN rc = open_columns(stmt, table);
        if (!SQL_SUCCEEDED(rc)) {
            GXDB_Display_Err_Msg(stmt);
            return rc;
        }
        CursorGuard cursor(stmt);
        rc = fetch_column_of(stmt, table);
        if (!SQL_SUCCEEDED(rc)) {
            GXDB_Display_Err_Msg(stmt);
            return rc == SQL_NO_DATA ? -1 : rc;
        }
        std::string catalogue;
        if (!column_text(stmt, 1, catalogue)) {
            GXDB_Display_Err_Msg(stmt);
            return -1;
        }
        if (!cvstv::copy_bounded(path, GXDB_PATH_SIZE, catalogue + ".xls")) {
            path[0] = '\0';
            return -1;
        }
        return 0;
    });
}

CVSTV_API int GXDB_Check_Empty_Row(int length, const char *record) noexcept
{
    return cvstv::guarded("GXDB_Check_Empty_Row", 0, [&]() -> int {
        if (!record || length <= 0)
            return 1;
        std::size_t n = strnlen(record, static_cast<std::size_t>(length));
        for (std::size_t i = 1; i < n; i += 2)
            if (record[i] != '^')
                return 0;
        return 1;
    });
}

CVSTV_API int GXDB_Add_To_Record_List(char ***list, const char *text) noexcept
{
    return cvstv::guarded("GXDB_Add_To_Record_List", -1, [&]() -> int {
        if (!list || !text || !*text)
            return -1;
        int count = kt_add_str_list(list, text);
        if (count < 0) {
            std::printf("Cannot allocate memory in %s %d\n", source_name, __LINE__);
            std::fflush(stdout);
        }
        return count;
    });
}

CVSTV_API void GXDB_Free_Record_List(char ***list) noexcept
{
    cvstv::guarded_void("GXDB_Free_Record_List", [&] { kt_free_str_list(list); });
}

CVSTV_API void GXDB_Free_Field_Value(sGXDB_Field_Value **values) noexcept
{
    cvstv::guarded_void("GXDB_Free_Field_Value", [&] {
        if (!values)
            return;
        HX_free(*values);
        *values = nullptr;
    });
}

} // extern "C"

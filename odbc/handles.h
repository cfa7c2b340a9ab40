// The driver's handles: environment, which owns connections, which own
// statements. Each handle starts with a type tag that every entry point
// checks, and keeps its own diagnostic records, cleared at the start of each
// call on it.
//
// Statement states: no result (fresh, after DML, after close), or an open
// result with a cursor before the first row, on a row, or past the end.
// SQLFetch and SQLCloseCursor without a result answer 24000 (the driver
// manager lets them through after DML); executing again drops the result.
// A statement keeps its prepared SQL (parsed once) and its bound
// parameters; the application's parameter buffers are read only when the
// statement executes, at the addresses the parameter array attributes give.
#ifndef CVSTV_ODBC_HANDLES_H
#define CVSTV_ODBC_HANDLES_H

#include "odbc/database.h"
#include "odbc/result_set.h"

#include <sql.h>
#include <sqlext.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace xlsodbc {

enum class HandleTag : std::uint32_t {
    env = 0x58454E56,  // "XENV"
    dbc = 0x58444243,  // "XDBC"
    stmt = 0x58535430, // "XST0"
    dead = 0
};

struct DiagRecord {
    std::string state;
    std::string message;
    SQLINTEGER native = 0;
};

struct Diagnostics {
    std::vector<DiagRecord> records;
    SQLRETURN last_return = SQL_SUCCESS;
    SQLLEN row_count = 0;

    void clear() { records.clear(); }
    void add(std::string state, std::string message)
    {
        records.push_back({std::move(state), "[cvstv][XLS Driver] " + std::move(message), 0});
    }
};

struct Handle {
    explicit Handle(HandleTag t) : tag(t) {}
    HandleTag tag;
    Diagnostics diag;
};

struct Statement;

struct Environment : Handle {
    Environment() : Handle(HandleTag::env) {}
    SQLINTEGER odbc_version = SQL_OV_ODBC3;
};

struct Connection : Handle {
    explicit Connection(Environment *e) : Handle(HandleTag::dbc), env(e) {}
    ~Connection();
    Environment *env;
    std::unique_ptr<Database> db;
    std::string dsn;
    std::vector<Statement *> statements;
    SQLUINTEGER login_timeout = 0;
    SQLUINTEGER autocommit = SQL_AUTOCOMMIT_ON; // also before connecting
    bool read_only_mode = false;                // SQL_ATTR_ACCESS_MODE before connecting
    void drop_statements();
};

struct BoundColumn {
    SQLSMALLINT c_type = 0;
    SQLPOINTER target = nullptr;
    SQLLEN length = 0;
    SQLLEN *indicator = nullptr;
};

struct BoundParameter {
    bool bound = false;
    SQLSMALLINT c_type = 0;
    SQLSMALLINT sql_type = 0;
    SQLULEN column_size = 0;
    SQLSMALLINT digits = 0;
    SQLPOINTER value = nullptr;
    SQLLEN buffer_length = 0;
    SQLLEN *indicator = nullptr;
};

struct Statement : Handle {
    explicit Statement(Connection *c) : Handle(HandleTag::stmt), dbc(c) {}
    Connection *dbc;

    std::optional<ResultSet> result;
    std::size_t next_row = 0;                 // row the next fetch returns
    std::optional<std::size_t> current_row;   // row of the last fetch
    std::vector<std::size_t> get_data_offset; // bytes already returned, per column
    std::vector<bool> get_data_done;
    SQLLEN row_count = -1;
    std::shared_ptr<const ParsedSql> prepared;
    std::vector<BoundColumn> bindings;
    std::vector<BoundParameter> parameters;

    // Parameter arrays.
    SQLULEN paramset_size = 1;
    SQLULEN param_bind_type = SQL_PARAM_BIND_BY_COLUMN;
    SQLULEN *param_bind_offset = nullptr;
    SQLUSMALLINT *param_status = nullptr;
    SQLULEN *params_processed = nullptr;
    SQLUSMALLINT *param_operation = nullptr;

    SQLULEN max_rows = 0;
    SQLULEN query_timeout = 0;
    SQLULEN *rows_fetched_ptr = nullptr;
    SQLUSMALLINT *row_status_ptr = nullptr;

    void close_cursor()
    {
        result.reset();
        next_row = 0;
        current_row.reset();
        get_data_offset.clear();
        get_data_done.clear();
    }
};

// Copies `text` into a caller's character buffer of `buffer_length` bytes
// (NUL-terminated, cut if needed) and stores the full length. Returns false
// when the text was cut.
bool copy_text(const std::string &text, SQLCHAR *buffer, SQLLEN buffer_length, SQLLEN *length_out);
bool copy_text(const std::string &text, SQLCHAR *buffer, SQLSMALLINT buffer_length, SQLSMALLINT *length_out);

} // namespace xlsodbc

#endif

// Every ODBC entry point of the driver, in one place: the ANSI form of each
// and, for those with texts, the wide (UTF-16) form.
//
// Each function checks its handle's type tag, clears the handle's
// diagnostics, and hands the work to the C++ code behind it (driver.h); any
// exception becomes a diagnostic record and SQL_ERROR, so nothing escapes
// into the driver manager. Only the functions listed in driver.map are
// exported; the driver is linked with -Bsymbolic-functions so that its own
// SQL* names bind to these definitions and never to the driver manager's.
//
// Both forms exist so that every application gets its own without the
// driver manager converting texts: it routes a Unicode application (one
// that connects with SQLDriverConnectW, as pyodbc does) to the W forms and
// an ANSI one to the others. Texts are UTF-8 inside the driver; the W forms
// convert at the boundary and count lengths as each function's definition
// says (characters for names, SQL texts and diagnostics; bytes for
// attributes, SQLGetInfo and data).
#pragma GCC visibility push(default)
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>
#pragma GCC visibility pop

#include "odbc/connection_string.h"
#include "odbc/conversion.h"
#include "odbc/driver.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>

using namespace xlsodbc;

namespace {

template <class H> H *as(SQLHANDLE h, HandleTag tag)
{
    auto *p = static_cast<Handle *>(h);
    return p && p->tag == tag ? static_cast<H *>(p) : nullptr;
}

template <class F> SQLRETURN guarded(Handle &h, F &&body)
{
    h.diag.clear();
    SQLRETURN rc;
    try {
        rc = body();
    } catch (const SqlError &e) {
        h.diag.add(e.state, e.what());
        rc = SQL_ERROR;
    } catch (const std::bad_alloc &) {
        h.diag.add("HY001", "Memory allocation error");
        rc = SQL_ERROR;
    } catch (const std::exception &e) {
        h.diag.add("HY000", e.what());
        rc = SQL_ERROR;
    }
    h.diag.last_return = rc;
    return rc;
}

std::string arg(const SQLCHAR *text, SQLINTEGER length)
{
    if (!text)
        return {};
    if (length == SQL_NTS)
        return reinterpret_cast<const char *>(text);
    if (length < 0)
        throw SqlError("HY090", "Invalid string or buffer length");
    return std::string(reinterpret_cast<const char *>(text), static_cast<std::size_t>(length));
}

std::string arg(const SQLWCHAR *text, SQLINTEGER length)
{
    return from_wide(text, length);
}

TextOut narrow(SQLPOINTER buffer, SQLLEN bytes)
{
    return {buffer, bytes, TextOut::Unit::narrow};
}
TextOut wide_chars(SQLPOINTER buffer, SQLLEN chars)
{
    return {buffer, chars, TextOut::Unit::wide_chars};
}
TextOut wide_bytes(SQLPOINTER buffer, SQLLEN bytes)
{
    return {buffer, bytes, TextOut::Unit::wide_bytes};
}

template <class T> void store(SQLPOINTER target, T v)
{
    std::memcpy(target, &v, sizeof v);
}

std::string strip_single_quotes(std::string v)
{
    if (v.size() >= 2 && v.front() == '\'' && v.back() == '\'')
        v = v.substr(1, v.size() - 2);
    return v;
}

Handle *diag_handle(SQLSMALLINT type, SQLHANDLE handle)
{
    switch (type) {
    case SQL_HANDLE_ENV: return as<Environment>(handle, HandleTag::env);
    case SQL_HANDLE_DBC: return as<Connection>(handle, HandleTag::dbc);
    case SQL_HANDLE_STMT: return as<Statement>(handle, HandleTag::stmt);
    default: return nullptr;
    }
}

std::string class_origin(const std::string &state)
{
    static const char *const odbc_classes[] = {"01S", "07S", "08S", "21S", "25S", "42S", "HY", "IM"};
    for (const char *c : odbc_classes)
        if (state.rfind(c, 0) == 0)
            return "ODBC 3.0";
    return "ISO 9075";
}

// ------------------------------------------------------------ connections

SQLRETURN driver_connect(Connection &dbc, const std::string &in, const TextOut &out, SQLSMALLINT *out_length)
{
    // DRIVER=... names this driver; a DSN is only read when no DRIVER is given.
    const ConnectionString cs = parse_connection_string(in);
    const std::string dsn =
        cs.get("DRIVER") ? std::string() : strip_single_quotes(cs.get("DSN").value_or(""));
    std::string completed;
    SQLRETURN rc = open_database(dbc, in, dsn, &completed);
    if (text_attribute(dbc, completed, out, out_length) != SQL_SUCCESS)
        rc = SQL_SUCCESS_WITH_INFO;
    return rc;
}

SQLRETURN connect_dsn(Connection &dbc, const std::string &dsn)
{
    if (dsn.empty())
        throw SqlError("IM002", "Data source name not found and no default driver specified");
    return open_database(dbc, std::string(), dsn, nullptr);
}

SQLRETURN disconnect(Connection &dbc)
{
    if (!dbc.db)
        throw SqlError("08003", "Connection not open");
    const bool discarded = dbc.db->in_transaction();
    dbc.drop_statements();
    dbc.db.reset(); // releases the workbook's lock; uncommitted changes are dropped
    if (discarded) {
        dbc.diag.add("01000", "Changes not committed were discarded");
        return SQL_SUCCESS_WITH_INFO;
    }
    return SQL_SUCCESS;
}

SQLRETURN set_connect_attr(Connection &dbc, SQLINTEGER attribute, SQLPOINTER value)
{
    const auto v = static_cast<SQLUINTEGER>(reinterpret_cast<std::uintptr_t>(value));
    switch (attribute) {
    case SQL_ATTR_AUTOCOMMIT:
        if (v != SQL_AUTOCOMMIT_ON && v != SQL_AUTOCOMMIT_OFF)
            throw SqlError("HY024", "Invalid attribute value for SQL_ATTR_AUTOCOMMIT");
        if (dbc.db)
            dbc.db->set_autocommit(v == SQL_AUTOCOMMIT_ON); // switching on commits
        dbc.autocommit = v;
        return SQL_SUCCESS;
    case SQL_ATTR_ACCESS_MODE:
        if (v == SQL_MODE_READ_ONLY) {
            dbc.read_only_mode = true;
            if (dbc.db)
                dbc.db->set_read_only();
        }
        return SQL_SUCCESS;
    case SQL_ATTR_LOGIN_TIMEOUT: dbc.login_timeout = v; return SQL_SUCCESS;
    case SQL_ATTR_TXN_ISOLATION:
        if (v != SQL_TXN_READ_COMMITTED && v != 0) {
            dbc.diag.add("01S02", "Option value changed: transactions are read committed");
            return SQL_SUCCESS_WITH_INFO;
        }
        return SQL_SUCCESS;
    case SQL_ATTR_CONNECTION_TIMEOUT:
    case SQL_ATTR_QUIET_MODE:
    case SQL_ATTR_PACKET_SIZE:
    case SQL_ATTR_TRACE:
    case SQL_ATTR_TRACEFILE:
    case SQL_ATTR_TRANSLATE_LIB:
    case SQL_ATTR_ODBC_CURSORS:
    case SQL_ATTR_ASYNC_ENABLE:
    case SQL_ATTR_METADATA_ID: return SQL_SUCCESS;
    case SQL_ATTR_ANSI_APP:
        // The driver behaves the same for ANSI and Unicode applications.
        throw SqlError("HYC00", "Optional feature not implemented: no ANSI-specific behaviour");
    case SQL_ATTR_CURRENT_CATALOG:
        throw SqlError("HYC00", "Optional feature not implemented: the catalog is the workbook");
    default: throw SqlError("HY092", "Invalid attribute/option identifier");
    }
}

SQLRETURN get_connect_attr(Connection &dbc, SQLINTEGER attribute, SQLPOINTER value, const TextOut &text,
                           SQLINTEGER *out_length)
{
    SQLUINTEGER v;
    switch (attribute) {
    case SQL_ATTR_CURRENT_CATALOG:
        return text_attribute(dbc, dbc.db ? dbc.db->options().catalog : std::string(), text, out_length);
    case SQL_ATTR_AUTOCOMMIT: v = dbc.autocommit; break;
    case SQL_ATTR_ACCESS_MODE:
        v = (dbc.db && dbc.db->options().read_only) || dbc.read_only_mode ? SQL_MODE_READ_ONLY
                                                                          : SQL_MODE_READ_WRITE;
        break;
    case SQL_ATTR_LOGIN_TIMEOUT: v = dbc.login_timeout; break;
    case SQL_ATTR_CONNECTION_TIMEOUT: v = 0; break;
    case SQL_ATTR_CONNECTION_DEAD: v = dbc.db ? SQL_CD_FALSE : SQL_CD_TRUE; break;
    case SQL_ATTR_TXN_ISOLATION: v = SQL_TXN_READ_COMMITTED; break;
    case SQL_ATTR_PACKET_SIZE: v = 0; break;
    case SQL_ATTR_ASYNC_ENABLE: v = SQL_ASYNC_ENABLE_OFF; break;
    case SQL_ATTR_METADATA_ID: v = SQL_FALSE; break;
    default: throw SqlError("HY092", "Invalid attribute/option identifier");
    }
    if (value)
        store(value, v);
    if (out_length)
        *out_length = sizeof v;
    return SQL_SUCCESS;
}

SQLRETURN end_transaction(Connection &dbc, SQLSMALLINT completion)
{
    if (completion != SQL_COMMIT && completion != SQL_ROLLBACK)
        throw SqlError("HY012", "Invalid transaction operation code");
    if (!dbc.db)
        return SQL_SUCCESS;
    if (completion == SQL_COMMIT)
        dbc.db->commit();
    else
        dbc.db->rollback();
    return SQL_SUCCESS;
}

// ------------------------------------------------------------- statements

SQLRETURN set_stmt_attr(Statement &s, SQLINTEGER attribute, SQLPOINTER value)
{
    const auto v = static_cast<SQLULEN>(reinterpret_cast<std::uintptr_t>(value));
    auto only = [&](SQLULEN supported) {
        if (v == supported)
            return SQL_SUCCESS;
        s.diag.add("01S02", "Option value changed");
        return SQL_SUCCESS_WITH_INFO;
    };
    switch (attribute) {
    case SQL_ATTR_MAX_ROWS: s.max_rows = v; return SQL_SUCCESS;
    case SQL_ATTR_QUERY_TIMEOUT: s.query_timeout = v; return SQL_SUCCESS;
    case SQL_ATTR_ROWS_FETCHED_PTR: s.rows_fetched_ptr = static_cast<SQLULEN *>(value); return SQL_SUCCESS;
    case SQL_ATTR_ROW_STATUS_PTR: s.row_status_ptr = static_cast<SQLUSMALLINT *>(value); return SQL_SUCCESS;
    case SQL_ATTR_PARAMSET_SIZE:
        if (v == 0)
            throw SqlError("HY024", "Invalid attribute value: a parameter set size of 0");
        s.paramset_size = v;
        return SQL_SUCCESS;
    case SQL_ATTR_PARAM_BIND_TYPE: s.param_bind_type = v; return SQL_SUCCESS;
    case SQL_ATTR_PARAM_BIND_OFFSET_PTR:
        s.param_bind_offset = static_cast<SQLULEN *>(value);
        return SQL_SUCCESS;
    case SQL_ATTR_PARAM_STATUS_PTR: s.param_status = static_cast<SQLUSMALLINT *>(value); return SQL_SUCCESS;
    case SQL_ATTR_PARAMS_PROCESSED_PTR:
        s.params_processed = static_cast<SQLULEN *>(value);
        return SQL_SUCCESS;
    case SQL_ATTR_PARAM_OPERATION_PTR:
        s.param_operation = static_cast<SQLUSMALLINT *>(value);
        return SQL_SUCCESS;
    case SQL_ATTR_ROW_ARRAY_SIZE:
    case SQL_ROWSET_SIZE: return only(1);
    case SQL_ATTR_CURSOR_TYPE: return only(SQL_CURSOR_FORWARD_ONLY);
    case SQL_ATTR_CONCURRENCY: return only(SQL_CONCUR_READ_ONLY);
    case SQL_ATTR_CURSOR_SCROLLABLE: return only(SQL_NONSCROLLABLE);
    case SQL_ATTR_USE_BOOKMARKS: return only(SQL_UB_OFF);
    case SQL_ATTR_ASYNC_ENABLE: return only(SQL_ASYNC_ENABLE_OFF);
    case SQL_ATTR_ROW_BIND_TYPE:
        if (v != SQL_BIND_BY_COLUMN)
            throw SqlError("HYC00", "Optional feature not implemented: row-wise binding");
        return SQL_SUCCESS;
    case SQL_ATTR_CURSOR_SENSITIVITY:
    case SQL_ATTR_NOSCAN:
    case SQL_ATTR_MAX_LENGTH:
    case SQL_ATTR_RETRIEVE_DATA:
    case SQL_ATTR_METADATA_ID:
    case SQL_ATTR_ENABLE_AUTO_IPD:
    case SQL_ATTR_KEYSET_SIZE:
    case SQL_ATTR_SIMULATE_CURSOR: return SQL_SUCCESS;
    default: throw SqlError("HY092", "Invalid attribute/option identifier");
    }
}

SQLRETURN get_stmt_attr(Statement &s, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER *length)
{
    SQLULEN v = 0;
    void *p = nullptr;
    bool pointer = false;
    switch (attribute) {
    case SQL_ATTR_APP_ROW_DESC:
    case SQL_ATTR_APP_PARAM_DESC:
    case SQL_ATTR_IMP_ROW_DESC:
    case SQL_ATTR_IMP_PARAM_DESC:
        // No descriptor handles: the driver manager then keeps its own.
        throw SqlError("HYC00", "Optional feature not implemented: descriptor handles");
    case SQL_ATTR_MAX_ROWS: v = s.max_rows; break;
    case SQL_ATTR_QUERY_TIMEOUT: v = s.query_timeout; break;
    case SQL_ATTR_ROWS_FETCHED_PTR:
        p = s.rows_fetched_ptr;
        pointer = true;
        break;
    case SQL_ATTR_ROW_STATUS_PTR:
        p = s.row_status_ptr;
        pointer = true;
        break;
    case SQL_ATTR_PARAM_BIND_OFFSET_PTR:
        p = s.param_bind_offset;
        pointer = true;
        break;
    case SQL_ATTR_PARAM_STATUS_PTR:
        p = s.param_status;
        pointer = true;
        break;
    case SQL_ATTR_PARAMS_PROCESSED_PTR:
        p = s.params_processed;
        pointer = true;
        break;
    case SQL_ATTR_PARAM_OPERATION_PTR:
        p = s.param_operation;
        pointer = true;
        break;
    case SQL_ATTR_PARAMSET_SIZE: v = s.paramset_size; break;
    case SQL_ATTR_PARAM_BIND_TYPE: v = s.param_bind_type; break;
    case SQL_ATTR_ROW_ARRAY_SIZE:
    case SQL_ROWSET_SIZE: v = 1; break;
    case SQL_ATTR_CURSOR_TYPE: v = SQL_CURSOR_FORWARD_ONLY; break;
    case SQL_ATTR_CONCURRENCY: v = SQL_CONCUR_READ_ONLY; break;
    case SQL_ATTR_CURSOR_SCROLLABLE: v = SQL_NONSCROLLABLE; break;
    case SQL_ATTR_CURSOR_SENSITIVITY: v = SQL_INSENSITIVE; break;
    case SQL_ATTR_USE_BOOKMARKS: v = SQL_UB_OFF; break;
    case SQL_ATTR_ASYNC_ENABLE: v = SQL_ASYNC_ENABLE_OFF; break;
    case SQL_ATTR_ROW_BIND_TYPE: v = SQL_BIND_BY_COLUMN; break;
    case SQL_ATTR_NOSCAN: v = SQL_NOSCAN_OFF; break;
    case SQL_ATTR_MAX_LENGTH: v = 0; break;
    case SQL_ATTR_RETRIEVE_DATA: v = SQL_RD_ON; break;
    case SQL_ATTR_METADATA_ID: v = SQL_FALSE; break;
    case SQL_ATTR_ENABLE_AUTO_IPD: v = SQL_FALSE; break;
    case SQL_ATTR_KEYSET_SIZE: v = 0; break;
    case SQL_ATTR_ROW_NUMBER: v = s.current_row ? *s.current_row + 1 : 0; break;
    default: throw SqlError("HY092", "Invalid attribute/option identifier");
    }
    if (pointer) {
        if (value)
            store(value, p);
        if (length)
            *length = sizeof p;
    } else {
        if (value)
            store(value, v);
        if (length)
            *length = sizeof v;
    }
    return SQL_SUCCESS;
}

SQLRETURN describe_col(Statement &s, SQLUSMALLINT column, const TextOut &name, SQLSMALLINT *name_length,
                       SQLSMALLINT *type, SQLULEN *size, SQLSMALLINT *digits, SQLSMALLINT *nullable)
{
    const ColumnInfo &c = result_column(s, column);
    if (type)
        *type = c.sql_type;
    if (size)
        *size = c.size;
    if (digits)
        *digits = c.decimal_digits;
    if (nullable)
        *nullable = c.nullable;
    return text_attribute(s, c.name, name, name_length);
}

SQLRETURN tables(Statement &s, const std::string &catalog, const std::string &schema,
                 const std::string &table, const std::string &types)
{
    Connection &dbc = connected(s);
    s.prepared.reset();
    start_result(s, dbc.db->tables(catalog, schema, table, types, dbc.env->odbc_version == SQL_OV_ODBC2));
    return SQL_SUCCESS;
}

SQLRETURN columns(Statement &s, const std::string &table, const std::string &column)
{
    Connection &dbc = connected(s);
    s.prepared.reset();
    start_result(s, dbc.db->columns(table, column, dbc.env->odbc_version == SQL_OV_ODBC2));
    return SQL_SUCCESS;
}

SQLRETURN get_type_info(Statement &s, SQLSMALLINT type)
{
    Connection &dbc = connected(s);
    s.prepared.reset();
    start_result(s, type_info(type, dbc.env->odbc_version == SQL_OV_ODBC2));
    return SQL_SUCCESS;
}

// ------------------------------------------------------------ diagnostics

SQLRETURN diag_rec(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record, const TextOut &state,
                   SQLINTEGER *native, const TextOut &message, SQLSMALLINT *message_length)
{
    Handle *h = diag_handle(type, handle);
    if (!h)
        return SQL_INVALID_HANDLE;
    if (record < 1 || message.capacity < 0)
        return SQL_ERROR;
    if (static_cast<std::size_t>(record) > h->diag.records.size())
        return SQL_NO_DATA;
    const DiagRecord &r = h->diag.records[record - 1];
    if (state.buffer)
        state.put(r.state, nullptr);
    if (native)
        *native = r.native;
    SQLLEN full = 0;
    const bool whole = message.put(r.message, &full);
    if (message_length)
        *message_length = static_cast<SQLSMALLINT>(std::min<SQLLEN>(full, 32767));
    return whole || !message.buffer ? SQL_SUCCESS : SQL_SUCCESS_WITH_INFO;
}

SQLRETURN diag_field(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record, SQLSMALLINT field,
                     SQLPOINTER info, const TextOut &out, SQLSMALLINT *info_length)
{
    Handle *h = diag_handle(type, handle);
    if (!h)
        return SQL_INVALID_HANDLE;
    auto text = [&](const std::string &t) {
        SQLLEN full = 0;
        const bool whole = out.put(t, &full);
        if (info_length)
            *info_length = static_cast<SQLSMALLINT>(std::min<SQLLEN>(full, 32767));
        return whole || !info ? SQL_SUCCESS : SQL_SUCCESS_WITH_INFO;
    };
    // Header fields.
    switch (field) {
    case SQL_DIAG_NUMBER:
        if (info)
            store(info, static_cast<SQLINTEGER>(h->diag.records.size()));
        return SQL_SUCCESS;
    case SQL_DIAG_RETURNCODE:
        if (info)
            store(info, h->diag.last_return);
        return SQL_SUCCESS;
    case SQL_DIAG_ROW_COUNT:
    case SQL_DIAG_CURSOR_ROW_COUNT:
        if (type != SQL_HANDLE_STMT)
            return SQL_ERROR;
        if (info)
            store(info, static_cast<Statement *>(h)->row_count);
        return SQL_SUCCESS;
    case SQL_DIAG_DYNAMIC_FUNCTION:
        if (type != SQL_HANDLE_STMT)
            return SQL_ERROR;
        return text("");
    case SQL_DIAG_DYNAMIC_FUNCTION_CODE:
        if (type != SQL_HANDLE_STMT)
            return SQL_ERROR;
        if (info)
            store(info, static_cast<SQLINTEGER>(SQL_DIAG_UNKNOWN_STATEMENT));
        return SQL_SUCCESS;
    default: break;
    }
    if (record < 1)
        return SQL_ERROR;
    if (static_cast<std::size_t>(record) > h->diag.records.size())
        return SQL_NO_DATA;
    const DiagRecord &r = h->diag.records[record - 1];
    switch (field) {
    case SQL_DIAG_SQLSTATE: return text(r.state);
    case SQL_DIAG_MESSAGE_TEXT: return text(r.message);
    case SQL_DIAG_NATIVE:
        if (info)
            store(info, r.native);
        return SQL_SUCCESS;
    case SQL_DIAG_CLASS_ORIGIN:
        return text(r.state.rfind("IM", 0) == 0 || r.state.rfind("HY", 0) == 0 ? "ODBC 3.0" : "ISO 9075");
    case SQL_DIAG_SUBCLASS_ORIGIN: return text(class_origin(r.state));
    case SQL_DIAG_CONNECTION_NAME:
    case SQL_DIAG_SERVER_NAME: return text("");
    case SQL_DIAG_COLUMN_NUMBER:
        if (info)
            store(info, static_cast<SQLINTEGER>(SQL_NO_COLUMN_NUMBER));
        return SQL_SUCCESS;
    case SQL_DIAG_ROW_NUMBER:
        if (info)
            store(info, static_cast<SQLLEN>(SQL_NO_ROW_NUMBER));
        return SQL_SUCCESS;
    default: return SQL_ERROR;
    }
}

} // namespace

namespace xlsodbc {

Connection::~Connection()
{
    drop_statements();
}

void Connection::drop_statements()
{
    for (Statement *s : statements) {
        s->tag = HandleTag::dead;
        delete s;
    }
    statements.clear();
}

} // namespace xlsodbc

// ==================================================================== handles

SQLRETURN SQL_API SQLAllocHandle(SQLSMALLINT type, SQLHANDLE input, SQLHANDLE *output)
{
    if (!output)
        return SQL_ERROR;
    *output = SQL_NULL_HANDLE;
    try {
        switch (type) {
        case SQL_HANDLE_ENV: *output = new Environment; return SQL_SUCCESS;
        case SQL_HANDLE_DBC: {
            auto *env = as<Environment>(input, HandleTag::env);
            if (!env)
                return SQL_INVALID_HANDLE;
            env->diag.clear();
            *output = new Connection(env);
            return SQL_SUCCESS;
        }
        case SQL_HANDLE_STMT: {
            auto *dbc = as<Connection>(input, HandleTag::dbc);
            if (!dbc)
                return SQL_INVALID_HANDLE;
            dbc->diag.clear();
            if (!dbc->db) {
                dbc->diag.add("08003", "Connection not open");
                return SQL_ERROR;
            }
            // Owned here until the connection's list holds it: the list may
            // run out of memory.
            auto s = std::make_unique<Statement>(dbc);
            dbc->statements.push_back(s.get());
            *output = s.release();
            return SQL_SUCCESS;
        }
        default: {
            Handle *h = diag_handle(SQL_HANDLE_DBC, input);
            if (h) {
                h->diag.clear();
                h->diag.add("HYC00", "Optional feature not implemented: descriptor handles");
            }
            return SQL_ERROR;
        }
        }
    } catch (const std::bad_alloc &) {
        return SQL_ERROR;
    }
}

SQLRETURN SQL_API SQLFreeHandle(SQLSMALLINT type, SQLHANDLE handle)
{
    switch (type) {
    case SQL_HANDLE_ENV: {
        auto *env = as<Environment>(handle, HandleTag::env);
        if (!env)
            return SQL_INVALID_HANDLE;
        env->tag = HandleTag::dead;
        delete env;
        return SQL_SUCCESS;
    }
    case SQL_HANDLE_DBC: {
        auto *dbc = as<Connection>(handle, HandleTag::dbc);
        if (!dbc)
            return SQL_INVALID_HANDLE;
        dbc->tag = HandleTag::dead;
        delete dbc;
        return SQL_SUCCESS;
    }
    case SQL_HANDLE_STMT: {
        auto *s = as<Statement>(handle, HandleTag::stmt);
        if (!s)
            return SQL_INVALID_HANDLE;
        auto &list = s->dbc->statements;
        list.erase(std::remove(list.begin(), list.end(), s), list.end());
        s->tag = HandleTag::dead;
        delete s;
        return SQL_SUCCESS;
    }
    default: return SQL_INVALID_HANDLE;
    }
}

SQLRETURN SQL_API SQLSetEnvAttr(SQLHENV handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER)
{
    auto *env = as<Environment>(handle, HandleTag::env);
    if (!env)
        return SQL_INVALID_HANDLE;
    return guarded(*env, [&]() -> SQLRETURN {
        const auto v = static_cast<SQLINTEGER>(reinterpret_cast<std::intptr_t>(value));
        switch (attribute) {
        case SQL_ATTR_ODBC_VERSION:
            if (v != SQL_OV_ODBC2 && v != SQL_OV_ODBC3 && v != SQL_OV_ODBC3_80)
                throw SqlError("HY024", "Invalid attribute value");
            env->odbc_version = v;
            return SQL_SUCCESS;
        case SQL_ATTR_OUTPUT_NTS:
            if (v != SQL_TRUE)
                throw SqlError("HYC00",
                               "Optional feature not implemented: strings are always NUL-terminated");
            return SQL_SUCCESS;
        case SQL_ATTR_CONNECTION_POOLING:
        case SQL_ATTR_CP_MATCH: return SQL_SUCCESS;
        default: throw SqlError("HY092", "Invalid attribute/option identifier");
        }
    });
}

SQLRETURN SQL_API SQLGetEnvAttr(SQLHENV handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER,
                                SQLINTEGER *length)
{
    auto *env = as<Environment>(handle, HandleTag::env);
    if (!env)
        return SQL_INVALID_HANDLE;
    return guarded(*env, [&]() -> SQLRETURN {
        SQLINTEGER v;
        switch (attribute) {
        case SQL_ATTR_ODBC_VERSION: v = env->odbc_version; break;
        case SQL_ATTR_OUTPUT_NTS: v = SQL_TRUE; break;
        case SQL_ATTR_CONNECTION_POOLING: v = SQL_CP_OFF; break;
        case SQL_ATTR_CP_MATCH: v = SQL_CP_STRICT_MATCH; break;
        default: throw SqlError("HY092", "Invalid attribute/option identifier");
        }
        if (value)
            store(value, v);
        if (length)
            *length = sizeof v;
        return SQL_SUCCESS;
    });
}

// ================================================================ connections

#define DBC_OR_INVALID(handle)                                                                               \
    auto *dbc = as<Connection>(handle, HandleTag::dbc);                                                      \
    if (!dbc)                                                                                                \
    return SQL_INVALID_HANDLE

#define STMT_OR_INVALID(handle)                                                                              \
    auto *s = as<Statement>(handle, HandleTag::stmt);                                                        \
    if (!s)                                                                                                  \
    return SQL_INVALID_HANDLE

SQLRETURN SQL_API SQLDriverConnect(SQLHDBC handle, SQLHWND, SQLCHAR *in, SQLSMALLINT in_length, SQLCHAR *out,
                                   SQLSMALLINT out_max, SQLSMALLINT *out_length, SQLUSMALLINT)
{
    DBC_OR_INVALID(handle);
    return guarded(
        *dbc, [&] { return driver_connect(*dbc, arg(in, in_length), narrow(out, out_max), out_length); });
}

SQLRETURN SQL_API SQLDriverConnectW(SQLHDBC handle, SQLHWND, SQLWCHAR *in, SQLSMALLINT in_length,
                                    SQLWCHAR *out, SQLSMALLINT out_max, SQLSMALLINT *out_length, SQLUSMALLINT)
{
    DBC_OR_INVALID(handle);
    return guarded(
        *dbc, [&] { return driver_connect(*dbc, arg(in, in_length), wide_chars(out, out_max), out_length); });
}

SQLRETURN SQL_API SQLConnect(SQLHDBC handle, SQLCHAR *dsn, SQLSMALLINT dsn_length, SQLCHAR *, SQLSMALLINT,
                             SQLCHAR *, SQLSMALLINT)
{
    DBC_OR_INVALID(handle);
    return guarded(*dbc, [&] { return connect_dsn(*dbc, arg(dsn, dsn_length)); });
}

SQLRETURN SQL_API SQLConnectW(SQLHDBC handle, SQLWCHAR *dsn, SQLSMALLINT dsn_length, SQLWCHAR *, SQLSMALLINT,
                              SQLWCHAR *, SQLSMALLINT)
{
    DBC_OR_INVALID(handle);
    return guarded(*dbc, [&] { return connect_dsn(*dbc, arg(dsn, dsn_length)); });
}

SQLRETURN SQL_API SQLDisconnect(SQLHDBC handle)
{
    DBC_OR_INVALID(handle);
    return guarded(*dbc, [&] { return disconnect(*dbc); });
}

SQLRETURN SQL_API SQLGetInfo(SQLHDBC handle, SQLUSMALLINT type, SQLPOINTER value, SQLSMALLINT length,
                             SQLSMALLINT *out_length)
{
    DBC_OR_INVALID(handle);
    return guarded(*dbc,
                   [&] { return get_info(*dbc, type, value, length, out_length, TextOut::Unit::narrow); });
}

SQLRETURN SQL_API SQLGetInfoW(SQLHDBC handle, SQLUSMALLINT type, SQLPOINTER value, SQLSMALLINT length,
                              SQLSMALLINT *out_length)
{
    DBC_OR_INVALID(handle);
    return guarded(
        *dbc, [&] { return get_info(*dbc, type, value, length, out_length, TextOut::Unit::wide_bytes); });
}

SQLRETURN SQL_API SQLSetConnectAttr(SQLHDBC handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER)
{
    DBC_OR_INVALID(handle);
    return guarded(*dbc, [&] { return set_connect_attr(*dbc, attribute, value); });
}

SQLRETURN SQL_API SQLSetConnectAttrW(SQLHDBC handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER)
{
    DBC_OR_INVALID(handle);
    return guarded(*dbc, [&] { return set_connect_attr(*dbc, attribute, value); });
}

SQLRETURN SQL_API SQLGetConnectAttr(SQLHDBC handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER length,
                                    SQLINTEGER *out_length)
{
    DBC_OR_INVALID(handle);
    return guarded(
        *dbc, [&] { return get_connect_attr(*dbc, attribute, value, narrow(value, length), out_length); });
}

SQLRETURN SQL_API SQLGetConnectAttrW(SQLHDBC handle, SQLINTEGER attribute, SQLPOINTER value,
                                     SQLINTEGER length, SQLINTEGER *out_length)
{
    DBC_OR_INVALID(handle);
    return guarded(*dbc, [&] {
        return get_connect_attr(*dbc, attribute, value, wide_bytes(value, length), out_length);
    });
}

SQLRETURN SQL_API SQLEndTran(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT completion)
{
    Handle *h = diag_handle(type, handle);
    if (!h || type == SQL_HANDLE_STMT)
        return SQL_INVALID_HANDLE;
    return guarded(*h, [&]() -> SQLRETURN {
        if (type == SQL_HANDLE_DBC)
            return end_transaction(*static_cast<Connection *>(h), completion);
        if (completion != SQL_COMMIT && completion != SQL_ROLLBACK)
            throw SqlError("HY012", "Invalid transaction operation code");
        return SQL_SUCCESS; // the driver manager ends each connection's own
    });
}

SQLRETURN SQL_API SQLNativeSql(SQLHDBC handle, SQLCHAR *in, SQLINTEGER in_length, SQLCHAR *out,
                               SQLINTEGER out_max, SQLINTEGER *out_length)
{
    DBC_OR_INVALID(handle);
    return guarded(
        *dbc, [&] { return text_attribute(*dbc, arg(in, in_length), narrow(out, out_max), out_length); });
}

SQLRETURN SQL_API SQLNativeSqlW(SQLHDBC handle, SQLWCHAR *in, SQLINTEGER in_length, SQLWCHAR *out,
                                SQLINTEGER out_max, SQLINTEGER *out_length)
{
    DBC_OR_INVALID(handle);
    return guarded(
        *dbc, [&] { return text_attribute(*dbc, arg(in, in_length), wide_chars(out, out_max), out_length); });
}

// ================================================================ statements

SQLRETURN SQL_API SQLExecDirect(SQLHSTMT handle, SQLCHAR *text, SQLINTEGER length)
{
    STMT_OR_INVALID(handle);
    return guarded(*s, [&] { return exec_direct(*s, arg(text, length)); });
}

SQLRETURN SQL_API SQLExecDirectW(SQLHSTMT handle, SQLWCHAR *text, SQLINTEGER length)
{
    STMT_OR_INVALID(handle);
    return guarded(*s, [&] { return exec_direct(*s, arg(text, length)); });
}

SQLRETURN SQL_API SQLPrepare(SQLHSTMT handle, SQLCHAR *text, SQLINTEGER length)
{
    STMT_OR_INVALID(handle);
    return guarded(*s, [&] { return prepare(*s, arg(text, length)); });
}

SQLRETURN SQL_API SQLPrepareW(SQLHSTMT handle, SQLWCHAR *text, SQLINTEGER length)
{
    STMT_OR_INVALID(handle);
    return guarded(*s, [&] { return prepare(*s, arg(text, length)); });
}

SQLRETURN SQL_API SQLExecute(SQLHSTMT handle)
{
    STMT_OR_INVALID(handle);
    return guarded(*s, [&] { return execute_prepared(*s); });
}

SQLRETURN SQL_API SQLNumParams(SQLHSTMT handle, SQLSMALLINT *count)
{
    STMT_OR_INVALID(handle);
    return guarded(*s, [&]() -> SQLRETURN {
        if (!s->prepared)
            throw SqlError("HY010", "Function sequence error: no prepared statement");
        if (count)
            *count = static_cast<SQLSMALLINT>(s->prepared->parameter_count);
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLBindParameter(SQLHSTMT handle, SQLUSMALLINT number, SQLSMALLINT io_type,
                                   SQLSMALLINT c_type, SQLSMALLINT sql_type, SQLULEN column_size,
                                   SQLSMALLINT digits, SQLPOINTER value, SQLLEN buffer_length,
                                   SQLLEN *indicator)
{
    STMT_OR_INVALID(handle);
    return guarded(*s, [&]() -> SQLRETURN {
        if (number < 1)
            throw SqlError("07009", "Invalid descriptor index: parameter 0");
        if (io_type != SQL_PARAM_INPUT)
            throw SqlError("HYC00", "Optional feature not implemented: only input parameters");
        if (buffer_length < 0)
            throw SqlError("HY090", "Invalid string or buffer length");
        if (s->parameters.size() < number)
            s->parameters.resize(number);
        // The buffers are read when the statement executes, never here.
        s->parameters[number - 1] =
            BoundParameter{true, c_type, sql_type, column_size, digits, value, buffer_length, indicator};
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLDescribeParam(SQLHSTMT handle, SQLUSMALLINT number, SQLSMALLINT *type, SQLULEN *size,
                                   SQLSMALLINT *digits, SQLSMALLINT *nullable)
{
    STMT_OR_INVALID(handle);
    return guarded(*s, [&] { return describe_param(*s, number, type, size, digits, nullable); });
}

SQLRETURN SQL_API SQLNumResultCols(SQLHSTMT handle, SQLSMALLINT *count)
{
    STMT_OR_INVALID(handle);
    return guarded(*s, [&]() -> SQLRETURN {
        if (count)
            *count = s->result ? static_cast<SQLSMALLINT>(s->result->columns.size()) : 0;
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLDescribeCol(SQLHSTMT handle, SQLUSMALLINT column, SQLCHAR *name, SQLSMALLINT name_max,
                                 SQLSMALLINT *name_length, SQLSMALLINT *type, SQLULEN *size,
                                 SQLSMALLINT *digits, SQLSMALLINT *nullable)
{
    STMT_OR_INVALID(handle);
    return guarded(*s, [&] {
        return describe_col(*s, column, narrow(name, name_max), name_length, type, size, digits, nullable);
    });
}

SQLRETURN SQL_API SQLDescribeColW(SQLHSTMT handle, SQLUSMALLINT column, SQLWCHAR *name, SQLSMALLINT name_max,
                                  SQLSMALLINT *name_length, SQLSMALLINT *type, SQLULEN *size,
                                  SQLSMALLINT *digits, SQLSMALLINT *nullable)
{
    STMT_OR_INVALID(handle);
    return guarded(*s, [&] {
        return describe_col(*s, column, wide_chars(name, name_max), name_length, type, size, digits,
                            nullable);
    });
}

SQLRETURN SQL_API SQLColAttribute(SQLHSTMT handle, SQLUSMALLINT column, SQLUSMALLINT field, SQLPOINTER text,
                                  SQLSMALLINT text_max, SQLSMALLINT *text_length, SQLLEN *number)
{
    STMT_OR_INVALID(handle);
    return guarded(
        *s, [&] { return col_attribute(*s, column, field, narrow(text, text_max), text_length, number); });
}

SQLRETURN SQL_API SQLColAttributeW(SQLHSTMT handle, SQLUSMALLINT column, SQLUSMALLINT field, SQLPOINTER text,
                                   SQLSMALLINT text_max, SQLSMALLINT *text_length, SQLLEN *number)
{
    STMT_OR_INVALID(handle);
    return guarded(*s, [&] {
        return col_attribute(*s, column, field, wide_bytes(text, text_max), text_length, number);
    });
}

SQLRETURN SQL_API SQLRowCount(SQLHSTMT handle, SQLLEN *count)
{
    STMT_OR_INVALID(handle);
    return guarded(*s, [&]() -> SQLRETURN {
        if (count)
            *count = s->row_count;
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLBindCol(SQLHSTMT handle, SQLUSMALLINT column, SQLSMALLINT c_type, SQLPOINTER target,
                             SQLLEN length, SQLLEN *indicator)
{
    STMT_OR_INVALID(handle);
    return guarded(*s, [&]() -> SQLRETURN {
        if (column < 1)
            throw SqlError("07009", "Invalid descriptor index: bookmarks are not supported");
        if (s->bindings.size() < column)
            s->bindings.resize(column);
        s->bindings[column - 1] = BoundColumn{c_type, target, length, indicator};
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLFetch(SQLHSTMT handle)
{
    STMT_OR_INVALID(handle);
    return guarded(*s, [&] { return fetch(*s); });
}

SQLRETURN SQL_API SQLFetchScroll(SQLHSTMT handle, SQLSMALLINT orientation, SQLLEN)
{
    STMT_OR_INVALID(handle);
    return guarded(*s, [&]() -> SQLRETURN {
        if (orientation != SQL_FETCH_NEXT)
            throw SqlError("HY106", "Fetch type out of range: the cursor is forward-only");
        return fetch(*s);
    });
}

SQLRETURN SQL_API SQLGetData(SQLHSTMT handle, SQLUSMALLINT column, SQLSMALLINT c_type, SQLPOINTER target,
                             SQLLEN length, SQLLEN *indicator)
{
    STMT_OR_INVALID(handle);
    return guarded(*s, [&] { return get_data(*s, column, c_type, target, length, indicator); });
}

SQLRETURN SQL_API SQLCloseCursor(SQLHSTMT handle)
{
    STMT_OR_INVALID(handle);
    return guarded(*s, [&]() -> SQLRETURN {
        if (!s->result)
            throw SqlError("24000", "Invalid cursor state: no open cursor");
        s->close_cursor();
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLFreeStmt(SQLHSTMT handle, SQLUSMALLINT option)
{
    STMT_OR_INVALID(handle);
    if (option == SQL_DROP)
        return SQLFreeHandle(SQL_HANDLE_STMT, handle);
    return guarded(*s, [&]() -> SQLRETURN {
        switch (option) {
        case SQL_CLOSE: s->close_cursor(); return SQL_SUCCESS;
        case SQL_UNBIND: s->bindings.clear(); return SQL_SUCCESS;
        case SQL_RESET_PARAMS: s->parameters.clear(); return SQL_SUCCESS;
        default: throw SqlError("HY092", "Invalid attribute/option identifier");
        }
    });
}

SQLRETURN SQL_API SQLCancel(SQLHSTMT handle)
{
    STMT_OR_INVALID(handle);
    return guarded(*s, [] { return SQL_SUCCESS; }); // statements run to completion inside their call
}

SQLRETURN SQL_API SQLMoreResults(SQLHSTMT handle)
{
    STMT_OR_INVALID(handle);
    return guarded(*s, [&]() -> SQLRETURN {
        s->close_cursor();
        return SQL_NO_DATA;
    });
}

SQLRETURN SQL_API SQLTables(SQLHSTMT handle, SQLCHAR *catalog, SQLSMALLINT catalog_length, SQLCHAR *schema,
                            SQLSMALLINT schema_length, SQLCHAR *table, SQLSMALLINT table_length,
                            SQLCHAR *types, SQLSMALLINT types_length)
{
    STMT_OR_INVALID(handle);
    return guarded(*s, [&] {
        return tables(*s, arg(catalog, catalog_length), arg(schema, schema_length), arg(table, table_length),
                      arg(types, types_length));
    });
}

SQLRETURN SQL_API SQLTablesW(SQLHSTMT handle, SQLWCHAR *catalog, SQLSMALLINT catalog_length, SQLWCHAR *schema,
                             SQLSMALLINT schema_length, SQLWCHAR *table, SQLSMALLINT table_length,
                             SQLWCHAR *types, SQLSMALLINT types_length)
{
    STMT_OR_INVALID(handle);
    return guarded(*s, [&] {
        return tables(*s, arg(catalog, catalog_length), arg(schema, schema_length), arg(table, table_length),
                      arg(types, types_length));
    });
}

SQLRETURN SQL_API SQLColumns(SQLHSTMT handle, SQLCHAR *, SQLSMALLINT, SQLCHAR *, SQLSMALLINT, SQLCHAR *table,
                             SQLSMALLINT table_length, SQLCHAR *column, SQLSMALLINT column_length)
{
    STMT_OR_INVALID(handle);
    return guarded(*s, [&] { return columns(*s, arg(table, table_length), arg(column, column_length)); });
}

SQLRETURN SQL_API SQLColumnsW(SQLHSTMT handle, SQLWCHAR *, SQLSMALLINT, SQLWCHAR *, SQLSMALLINT,
                              SQLWCHAR *table, SQLSMALLINT table_length, SQLWCHAR *column,
                              SQLSMALLINT column_length)
{
    STMT_OR_INVALID(handle);
    return guarded(*s, [&] { return columns(*s, arg(table, table_length), arg(column, column_length)); });
}

SQLRETURN SQL_API SQLGetTypeInfo(SQLHSTMT handle, SQLSMALLINT type)
{
    STMT_OR_INVALID(handle);
    return guarded(*s, [&] { return get_type_info(*s, type); });
}

SQLRETURN SQL_API SQLGetTypeInfoW(SQLHSTMT handle, SQLSMALLINT type)
{
    STMT_OR_INVALID(handle);
    return guarded(*s, [&] { return get_type_info(*s, type); });
}

SQLRETURN SQL_API SQLSetStmtAttr(SQLHSTMT handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER)
{
    STMT_OR_INVALID(handle);
    return guarded(*s, [&] { return set_stmt_attr(*s, attribute, value); });
}

SQLRETURN SQL_API SQLSetStmtAttrW(SQLHSTMT handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER)
{
    STMT_OR_INVALID(handle);
    return guarded(*s, [&] { return set_stmt_attr(*s, attribute, value); });
}

SQLRETURN SQL_API SQLGetStmtAttr(SQLHSTMT handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER,
                                 SQLINTEGER *length)
{
    STMT_OR_INVALID(handle);
    return guarded(*s, [&] { return get_stmt_attr(*s, attribute, value, length); });
}

SQLRETURN SQL_API SQLGetStmtAttrW(SQLHSTMT handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER,
                                  SQLINTEGER *length)
{
    STMT_OR_INVALID(handle);
    return guarded(*s, [&] { return get_stmt_attr(*s, attribute, value, length); });
}

// ================================================================ diagnostics

SQLRETURN SQL_API SQLGetDiagRec(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record, SQLCHAR *state,
                                SQLINTEGER *native, SQLCHAR *message, SQLSMALLINT message_max,
                                SQLSMALLINT *message_length)
{
    return diag_rec(type, handle, record, narrow(state, 6), native, narrow(message, message_max),
                    message_length);
}

SQLRETURN SQL_API SQLGetDiagRecW(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record, SQLWCHAR *state,
                                 SQLINTEGER *native, SQLWCHAR *message, SQLSMALLINT message_max,
                                 SQLSMALLINT *message_length)
{
    return diag_rec(type, handle, record, wide_chars(state, 6), native, wide_chars(message, message_max),
                    message_length);
}

SQLRETURN SQL_API SQLGetDiagField(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record, SQLSMALLINT field,
                                  SQLPOINTER info, SQLSMALLINT info_max, SQLSMALLINT *info_length)
{
    return diag_field(type, handle, record, field, info, narrow(info, info_max), info_length);
}

SQLRETURN SQL_API SQLGetDiagFieldW(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record, SQLSMALLINT field,
                                   SQLPOINTER info, SQLSMALLINT info_max, SQLSMALLINT *info_length)
{
    return diag_field(type, handle, record, field, info, wide_bytes(info, info_max), info_length);
}

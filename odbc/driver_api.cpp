// Every ODBC entry point of the driver, in one place.
//
// Each function checks its handle's type tag, clears the handle's
// diagnostics, and hands the work to the C++ code behind it (Database for SQL
// and catalogs, the conversions below for SQLGetData); any exception becomes a
// diagnostic record and SQL_ERROR, so nothing escapes into the driver
// manager. Only the functions listed in driver.map are exported; the driver
// is linked with -Bsymbolic-functions so that its own SQL* names bind to
// these definitions and never to the driver manager's.
//
// The driver is ANSI-only: the driver manager converts the W calls of Unicode
// applications, but passes their C types through, so SQLGetData also serves
// SQL_C_WCHAR.
#pragma GCC visibility push(default)
#include <sql.h>
#include <sqlext.h>
#include <odbcinst.h>
#pragma GCC visibility pop

#include "odbc/connection_string.h"
#include "odbc/handles.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <string_view>

using namespace xlsodbc;
using workbook::Cell;
using workbook::CellType;

namespace {

template <class H>
H *as(SQLHANDLE h, HandleTag tag)
{
    auto *p = static_cast<Handle *>(h);
    return p && p->tag == tag ? static_cast<H *>(p) : nullptr;
}

template <class F>
SQLRETURN guarded(Handle &h, F &&body)
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

Connection &connected(Statement &s)
{
    if (!s.dbc->db)
        throw SqlError("08003", "Connection not open");
    return *s.dbc;
}

// ---------------------------------------------------------------- connect

std::string strip_single_quotes(std::string v)
{
    if (v.size() >= 2 && v.front() == '\'' && v.back() == '\'')
        v = v.substr(1, v.size() - 2);
    return v;
}

std::string profile_value(const std::string &dsn, const char *key)
{
    char buf[1024] = {};
    SQLGetPrivateProfileString(dsn.c_str(), key, "", buf, sizeof buf, "odbc.ini");
    return buf;
}

// The workbook as the client named it, without its ".xls" extension.
std::string catalog_of(const std::string &dbq)
{
    if (dbq.size() > 4) {
        std::string ext = dbq.substr(dbq.size() - 4);
        for (char &c : ext)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (ext == ".xls")
            return dbq.substr(0, dbq.size() - 4);
    }
    return dbq;
}

std::string local_path(std::string host_path)
{
    std::replace(host_path.begin(), host_path.end(), '\\', '/');
    return host_path;
}

SQLRETURN open_database(Connection &dbc, const ConnectionString &cs, const std::string &dsn, std::string *completed)
{
    if (dbc.db)
        throw SqlError("08002", "Connection name in use");
    static const char *const known[] = {"DRIVER", "DSN", "DBQ", "CREATE_DB", "READONLY", "FIRSTROWHASNAMES",
                                        "UID", "PWD", "DEFAULTDIR", "DESCRIPTION", "FILEDSN", "SAVEFILE"};
    std::vector<std::string> warnings;
    for (const auto &[key, value] : cs.attributes)
        if (std::find(std::begin(known), std::end(known), key) == std::end(known))
            warnings.push_back("Unknown connection attribute ignored: " + key);
    for (const auto &piece : cs.malformed)
        warnings.push_back("Malformed connection attribute ignored: " + piece);

    auto setting = [&](const char *key) -> std::string {
        if (auto v = cs.get(key))
            return *v;
        return dsn.empty() ? std::string() : profile_value(dsn, key);
    };
    std::string dbq = setting("DBQ");
    const std::string create = setting("CREATE_DB");
    if (dbq.empty())
        dbq = create;
    if (dbq.empty())
        throw SqlError("08001", "No workbook given: the connection string needs DBQ=<path of the .xls file>");

    DatabaseOptions options;
    options.path = local_path(dbq);
    options.catalog = catalog_of(dbq);
    auto flag = [&](const char *key, bool fallback) {
        const std::string v = setting(key);
        if (v.empty())
            return fallback;
        if (auto b = parse_flag(v))
            return *b;
        warnings.push_back(std::string("Invalid value for ") + key + " ignored: " + v);
        return fallback;
    };
    options.read_only = flag("READONLY", false);
    options.first_row_has_names = flag("FIRSTROWHASNAMES", true);

    if (!create.empty() && local_path(create) != options.path) {
        // A workbook to create that is not the one opened: create it, then
        // open DBQ as usual.
        Database created(DatabaseOptions{local_path(create), catalog_of(create), false, true}, true);
    }
    dbc.db = std::make_unique<Database>(options, !create.empty() && local_path(create) == options.path);
    dbc.dsn = dsn;

    if (completed) {
        std::string out = dsn.empty() ? "DRIVER={" + cs.get("DRIVER").value_or("") + "};" : "DSN=" + dsn + ";";
        out += "DBQ=" + dbq + ";READONLY=" + (options.read_only ? "TRUE" : "FALSE") +
               ";FIRSTROWHASNAMES=" + (options.first_row_has_names ? "1" : "0") + ";";
        *completed = out;
    }
    for (auto &w : warnings)
        dbc.diag.add("01S00", w);
    return warnings.empty() ? SQL_SUCCESS : SQL_SUCCESS_WITH_INFO;
}

// ---------------------------------------------------------------- data conversion

SQLSMALLINT default_c_type(SQLSMALLINT sql_type)
{
    switch (sql_type) {
    case SQL_DOUBLE: return SQL_C_DOUBLE;
    case SQL_SMALLINT: return SQL_C_SSHORT;
    case SQL_INTEGER: return SQL_C_SLONG;
    default: return SQL_C_CHAR;
    }
}

template <class T>
void store(SQLPOINTER target, T v)
{
    std::memcpy(target, &v, sizeof v);
}

struct Conversion {
    SQLRETURN rc = SQL_SUCCESS;
    bool done = true;
};

// Records a diagnostic for a failed conversion. SQLGetData and SQLFetch run
// once per cell, so their per-call failures are reported directly rather
// than thrown.
Conversion failed(Handle &h, const char *state, std::string message)
{
    h.diag.add(state, std::move(message));
    return {SQL_ERROR, true};
}

// Converts one cell into the application's buffer. `offset` is how many
// bytes of a text were returned by earlier calls for the same cell.
Conversion convert(Handle &h, const Cell &cell, SQLSMALLINT c_type, SQLPOINTER target, SQLLEN length,
                   SQLLEN *indicator, std::size_t &offset)
{
    Conversion out;
    if (c_type == SQL_C_CHAR || c_type == SQL_C_BINARY || c_type == SQL_C_WCHAR) {
        // Texts are served in place, numbers from a stack buffer; only UTF-16
        // needs a converted copy.
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

    // Numbers: from the cell's number, or from a text that holds one.
    bool is_integer = cell.type == CellType::integer || cell.type == CellType::boolean;
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
            (std::numeric_limits<T>::max() >= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) ||
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
    case SQL_C_LONG:
    case SQL_C_SLONG: return integral(SQLINTEGER{}, sizeof(SQLINTEGER));
    case SQL_C_ULONG: return integral(SQLUINTEGER{}, sizeof(SQLUINTEGER));
    case SQL_C_SHORT:
    case SQL_C_SSHORT: return integral(SQLSMALLINT{}, sizeof(SQLSMALLINT));
    case SQL_C_USHORT: return integral(SQLUSMALLINT{}, sizeof(SQLUSMALLINT));
    case SQL_C_TINYINT:
    case SQL_C_STINYINT: return integral(SQLSCHAR{}, sizeof(SQLSCHAR));
    case SQL_C_UTINYINT:
    case SQL_C_BIT: return integral(SQLCHAR{}, sizeof(SQLCHAR));
    case SQL_C_SBIGINT: return integral(SQLBIGINT{}, sizeof(SQLBIGINT));
    case SQL_C_UBIGINT: return integral(SQLUBIGINT{}, sizeof(SQLUBIGINT));
    default: return failed(h, "HY003", "Program type out of range: " + std::to_string(c_type));
    }
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
    Conversion conv = convert(s, *cell, c_type, target, length, indicator, s.get_data_offset[c]);
    s.get_data_done[c] = conv.done;
    return conv.rc;
}

void start_result(Statement &s, ResultSet rs)
{
    s.close_cursor();
    s.row_count = static_cast<SQLLEN>(rs.row_count());
    s.get_data_offset.assign(rs.columns.size(), 0);
    s.get_data_done.assign(rs.columns.size(), true);
    s.result = std::move(rs);
}

SQLRETURN execute(Statement &s, const std::string &sql)
{
    Connection &dbc = connected(s);
    s.close_cursor();
    s.row_count = -1;
    Outcome o = dbc.db->execute(sql);
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
        SQLRETURN r = get_data(s, static_cast<SQLUSMALLINT>(c + 1), b.c_type, b.target, b.length, b.indicator);
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

SQLLEN display_size(const ColumnInfo &c)
{
    switch (c.sql_type) {
    case SQL_DOUBLE: return 24;
    case SQL_SMALLINT: return 6;
    case SQL_INTEGER: return 11;
    default: return static_cast<SQLLEN>(c.size);
    }
}

SQLRETURN text_attribute(Handle &h, const std::string &text, SQLPOINTER out, SQLSMALLINT length, SQLSMALLINT *out_length)
{
    if (!copy_text(text, static_cast<SQLCHAR *>(out), length, out_length) && out) {
        h.diag.add("01004", "String data, right truncated");
        return SQL_SUCCESS_WITH_INFO;
    }
    return SQL_SUCCESS;
}

SQLRETURN text_attribute(Handle &h, const std::string &text, SQLPOINTER out, SQLINTEGER length, SQLINTEGER *out_length)
{
    SQLLEN full = 0;
    bool whole = copy_text(text, static_cast<SQLCHAR *>(out), static_cast<SQLLEN>(length), &full);
    if (out_length)
        *out_length = static_cast<SQLINTEGER>(full);
    if (!whole && out) {
        h.diag.add("01004", "String data, right truncated");
        return SQL_SUCCESS_WITH_INFO;
    }
    return SQL_SUCCESS;
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
        case SQL_HANDLE_ENV:
            *output = new Environment;
            return SQL_SUCCESS;
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
            auto *s = new Statement(dbc);
            dbc->statements.push_back(s);
            *output = s;
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
    default:
        return SQL_INVALID_HANDLE;
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
                throw SqlError("HYC00", "Optional feature not implemented: strings are always NUL-terminated");
            return SQL_SUCCESS;
        case SQL_ATTR_CONNECTION_POOLING:
        case SQL_ATTR_CP_MATCH:
            return SQL_SUCCESS;
        default:
            throw SqlError("HY092", "Invalid attribute/option identifier");
        }
    });
}

SQLRETURN SQL_API SQLGetEnvAttr(SQLHENV handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER, SQLINTEGER *length)
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

SQLRETURN SQL_API SQLDriverConnect(SQLHDBC handle, SQLHWND, SQLCHAR *in, SQLSMALLINT in_length, SQLCHAR *out,
                                   SQLSMALLINT out_max, SQLSMALLINT *out_length, SQLUSMALLINT)
{
    auto *dbc = as<Connection>(handle, HandleTag::dbc);
    if (!dbc)
        return SQL_INVALID_HANDLE;
    return guarded(*dbc, [&]() -> SQLRETURN {
        const ConnectionString cs = parse_connection_string(arg(in, in_length));
        // DRIVER=... names this driver; a DSN is only read when no DRIVER is given.
        std::string dsn = cs.get("DRIVER") ? std::string() : strip_single_quotes(cs.get("DSN").value_or(""));
        std::string completed;
        SQLRETURN rc = open_database(*dbc, cs, dsn, &completed);
        if (!copy_text(completed, out, out_max, out_length) && out) {
            dbc->diag.add("01004", "String data, right truncated");
            rc = SQL_SUCCESS_WITH_INFO;
        }
        return rc;
    });
}

SQLRETURN SQL_API SQLConnect(SQLHDBC handle, SQLCHAR *dsn, SQLSMALLINT dsn_length, SQLCHAR *, SQLSMALLINT, SQLCHAR *,
                             SQLSMALLINT)
{
    auto *dbc = as<Connection>(handle, HandleTag::dbc);
    if (!dbc)
        return SQL_INVALID_HANDLE;
    return guarded(*dbc, [&]() -> SQLRETURN {
        const std::string name = arg(dsn, dsn_length);
        if (name.empty())
            throw SqlError("IM002", "Data source name not found and no default driver specified");
        return open_database(*dbc, ConnectionString{}, name, nullptr);
    });
}

SQLRETURN SQL_API SQLDisconnect(SQLHDBC handle)
{
    auto *dbc = as<Connection>(handle, HandleTag::dbc);
    if (!dbc)
        return SQL_INVALID_HANDLE;
    return guarded(*dbc, [&]() -> SQLRETURN {
        if (!dbc->db)
            throw SqlError("08003", "Connection not open");
        dbc->drop_statements();
        dbc->db.reset();
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLGetInfo(SQLHDBC handle, SQLUSMALLINT type, SQLPOINTER value, SQLSMALLINT length,
                             SQLSMALLINT *out_length)
{
    auto *dbc = as<Connection>(handle, HandleTag::dbc);
    if (!dbc)
        return SQL_INVALID_HANDLE;
    return guarded(*dbc, [&]() { return get_info(*dbc, type, value, length, out_length); });
}

SQLRETURN SQL_API SQLSetConnectAttr(SQLHDBC handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER)
{
    auto *dbc = as<Connection>(handle, HandleTag::dbc);
    if (!dbc)
        return SQL_INVALID_HANDLE;
    return guarded(*dbc, [&]() -> SQLRETURN {
        const auto v = static_cast<SQLUINTEGER>(reinterpret_cast<std::uintptr_t>(value));
        switch (attribute) {
        case SQL_ATTR_AUTOCOMMIT:
            if (v != SQL_AUTOCOMMIT_ON)
                throw SqlError("HYC00", "Optional feature not implemented: every change is written when it runs");
            return SQL_SUCCESS;
        case SQL_ATTR_ACCESS_MODE:
            if (dbc->db && v == SQL_MODE_READ_ONLY)
                dbc->db->set_read_only();
            return SQL_SUCCESS;
        case SQL_ATTR_LOGIN_TIMEOUT:
            dbc->login_timeout = v;
            return SQL_SUCCESS;
        case SQL_ATTR_CONNECTION_TIMEOUT:
        case SQL_ATTR_QUIET_MODE:
        case SQL_ATTR_PACKET_SIZE:
        case SQL_ATTR_TXN_ISOLATION:
        case SQL_ATTR_TRACE:
        case SQL_ATTR_TRACEFILE:
        case SQL_ATTR_ODBC_CURSORS:
        case SQL_ATTR_ASYNC_ENABLE:
        case SQL_ATTR_METADATA_ID:
            return SQL_SUCCESS;
        case SQL_ATTR_CURRENT_CATALOG:
            throw SqlError("HYC00", "Optional feature not implemented: the catalog is the workbook");
        default:
            throw SqlError("HY092", "Invalid attribute/option identifier");
        }
    });
}

SQLRETURN SQL_API SQLGetConnectAttr(SQLHDBC handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER length,
                                    SQLINTEGER *out_length)
{
    auto *dbc = as<Connection>(handle, HandleTag::dbc);
    if (!dbc)
        return SQL_INVALID_HANDLE;
    return guarded(*dbc, [&]() -> SQLRETURN {
        SQLUINTEGER v;
        switch (attribute) {
        case SQL_ATTR_CURRENT_CATALOG:
            return text_attribute(*dbc, dbc->db ? dbc->db->options().catalog : std::string(), value, length, out_length);
        case SQL_ATTR_AUTOCOMMIT: v = SQL_AUTOCOMMIT_ON; break;
        case SQL_ATTR_ACCESS_MODE:
            v = dbc->db && dbc->db->options().read_only ? SQL_MODE_READ_ONLY : SQL_MODE_READ_WRITE;
            break;
        case SQL_ATTR_LOGIN_TIMEOUT: v = dbc->login_timeout; break;
        case SQL_ATTR_CONNECTION_TIMEOUT: v = 0; break;
        case SQL_ATTR_CONNECTION_DEAD: v = dbc->db ? SQL_CD_FALSE : SQL_CD_TRUE; break;
        case SQL_ATTR_TXN_ISOLATION: v = 0; break;
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
    });
}

SQLRETURN SQL_API SQLEndTran(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT completion)
{
    Handle *h = diag_handle(type, handle);
    if (!h || type == SQL_HANDLE_STMT)
        return SQL_INVALID_HANDLE;
    return guarded(*h, [&]() -> SQLRETURN {
        if (completion != SQL_COMMIT && completion != SQL_ROLLBACK)
            throw SqlError("HY012", "Invalid transaction operation code");
        return SQL_SUCCESS; // every statement was written when it ran
    });
}

SQLRETURN SQL_API SQLNativeSql(SQLHDBC handle, SQLCHAR *in, SQLINTEGER in_length, SQLCHAR *out, SQLINTEGER out_max,
                               SQLINTEGER *out_length)
{
    auto *dbc = as<Connection>(handle, HandleTag::dbc);
    if (!dbc)
        return SQL_INVALID_HANDLE;
    return guarded(*dbc, [&]() { return text_attribute(*dbc, arg(in, in_length), out, out_max, out_length); });
}

// ================================================================ statements

SQLRETURN SQL_API SQLExecDirect(SQLHSTMT handle, SQLCHAR *text, SQLINTEGER length)
{
    auto *s = as<Statement>(handle, HandleTag::stmt);
    if (!s)
        return SQL_INVALID_HANDLE;
    return guarded(*s, [&]() {
        s->prepared.reset();
        return execute(*s, arg(text, length));
    });
}

SQLRETURN SQL_API SQLPrepare(SQLHSTMT handle, SQLCHAR *text, SQLINTEGER length)
{
    auto *s = as<Statement>(handle, HandleTag::stmt);
    if (!s)
        return SQL_INVALID_HANDLE;
    return guarded(*s, [&]() -> SQLRETURN {
        std::string sql = arg(text, length);
        s->close_cursor();
        s->prepared.reset();
        parse_sql(sql); // syntax errors are reported here
        s->prepared = std::move(sql);
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLExecute(SQLHSTMT handle)
{
    auto *s = as<Statement>(handle, HandleTag::stmt);
    if (!s)
        return SQL_INVALID_HANDLE;
    return guarded(*s, [&]() -> SQLRETURN {
        if (!s->prepared)
            throw SqlError("HY010", "Function sequence error: no prepared statement");
        return execute(*s, *s->prepared);
    });
}

SQLRETURN SQL_API SQLNumParams(SQLHSTMT handle, SQLSMALLINT *count)
{
    auto *s = as<Statement>(handle, HandleTag::stmt);
    if (!s)
        return SQL_INVALID_HANDLE;
    return guarded(*s, [&]() -> SQLRETURN {
        if (count)
            *count = 0;
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLNumResultCols(SQLHSTMT handle, SQLSMALLINT *count)
{
    auto *s = as<Statement>(handle, HandleTag::stmt);
    if (!s)
        return SQL_INVALID_HANDLE;
    return guarded(*s, [&]() -> SQLRETURN {
        if (count)
            *count = s->result ? static_cast<SQLSMALLINT>(s->result->columns.size()) : 0;
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLDescribeCol(SQLHSTMT handle, SQLUSMALLINT column, SQLCHAR *name, SQLSMALLINT name_max,
                                 SQLSMALLINT *name_length, SQLSMALLINT *type, SQLULEN *size, SQLSMALLINT *digits,
                                 SQLSMALLINT *nullable)
{
    auto *s = as<Statement>(handle, HandleTag::stmt);
    if (!s)
        return SQL_INVALID_HANDLE;
    return guarded(*s, [&]() -> SQLRETURN {
        const ColumnInfo &c = result_column(*s, column);
        if (type)
            *type = c.sql_type;
        if (size)
            *size = c.size;
        if (digits)
            *digits = c.decimal_digits;
        if (nullable)
            *nullable = c.nullable;
        return text_attribute(*s, c.name, name, name_max, name_length);
    });
}

SQLRETURN SQL_API SQLColAttribute(SQLHSTMT handle, SQLUSMALLINT column, SQLUSMALLINT field, SQLPOINTER text,
                                  SQLSMALLINT text_max, SQLSMALLINT *text_length, SQLLEN *number)
{
    auto *s = as<Statement>(handle, HandleTag::stmt);
    if (!s)
        return SQL_INVALID_HANDLE;
    return guarded(*s, [&]() -> SQLRETURN {
        auto num = [&](SQLLEN v) {
            if (number)
                *number = v;
            return SQL_SUCCESS;
        };
        if (field == SQL_DESC_COUNT || field == SQL_COLUMN_COUNT) {
            if (!s->result)
                throw SqlError("07005", "Prepared statement not a cursor-specification");
            return num(static_cast<SQLLEN>(s->result->columns.size()));
        }
        const ColumnInfo &c = result_column(*s, column);
        const bool is_text = c.sql_type == SQL_VARCHAR;
        switch (field) {
        case SQL_DESC_NAME:
        case SQL_DESC_LABEL:
        case SQL_DESC_BASE_COLUMN_NAME:
        case SQL_COLUMN_NAME: return text_attribute(*s, c.name, text, text_max, text_length);
        case SQL_DESC_TYPE_NAME: return text_attribute(*s, c.type_name, text, text_max, text_length);
        case SQL_DESC_TABLE_NAME:
        case SQL_DESC_BASE_TABLE_NAME: return text_attribute(*s, c.table, text, text_max, text_length);
        case SQL_DESC_CATALOG_NAME:
            return text_attribute(*s, c.table.empty() ? std::string() : connected(*s).db->options().catalog, text,
                                  text_max, text_length);
        case SQL_DESC_SCHEMA_NAME:
        case SQL_DESC_LOCAL_TYPE_NAME: return text_attribute(*s, std::string(), text, text_max, text_length);
        case SQL_DESC_LITERAL_PREFIX:
        case SQL_DESC_LITERAL_SUFFIX:
            return text_attribute(*s, is_text ? "'" : "", text, text_max, text_length);
        case SQL_DESC_TYPE:
        case SQL_DESC_CONCISE_TYPE: return num(c.sql_type);
        case SQL_DESC_LENGTH:
        case SQL_DESC_PRECISION:
        case SQL_COLUMN_LENGTH:
        case SQL_COLUMN_PRECISION: return num(static_cast<SQLLEN>(c.size));
        case SQL_DESC_OCTET_LENGTH:
            return num(is_text ? static_cast<SQLLEN>(c.size) : c.sql_type == SQL_DOUBLE ? 8
                                                           : c.sql_type == SQL_SMALLINT ? 2 : 4);
        case SQL_DESC_SCALE:
        case SQL_COLUMN_SCALE: return num(c.decimal_digits);
        case SQL_DESC_DISPLAY_SIZE: return num(display_size(c));
        case SQL_DESC_NULLABLE:
        case SQL_COLUMN_NULLABLE: return num(c.nullable);
        case SQL_DESC_UNSIGNED: return num(is_text ? SQL_TRUE : SQL_FALSE);
        case SQL_DESC_FIXED_PREC_SCALE:
        case SQL_DESC_AUTO_UNIQUE_VALUE:
        case SQL_DESC_CASE_SENSITIVE: return num(SQL_FALSE);
        case SQL_DESC_SEARCHABLE: return num(SQL_PRED_BASIC);
        case SQL_DESC_UPDATABLE: return num(SQL_ATTR_READONLY);
        case SQL_DESC_NUM_PREC_RADIX: return num(c.sql_type == SQL_VARCHAR ? 0 : 10);
        case SQL_DESC_UNNAMED: return num(SQL_NAMED);
        default: throw SqlError("HY091", "Invalid descriptor field identifier: " + std::to_string(field));
        }
    });
}

SQLRETURN SQL_API SQLRowCount(SQLHSTMT handle, SQLLEN *count)
{
    auto *s = as<Statement>(handle, HandleTag::stmt);
    if (!s)
        return SQL_INVALID_HANDLE;
    return guarded(*s, [&]() -> SQLRETURN {
        if (count)
            *count = s->row_count;
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLBindCol(SQLHSTMT handle, SQLUSMALLINT column, SQLSMALLINT c_type, SQLPOINTER target,
                             SQLLEN length, SQLLEN *indicator)
{
    auto *s = as<Statement>(handle, HandleTag::stmt);
    if (!s)
        return SQL_INVALID_HANDLE;
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
    auto *s = as<Statement>(handle, HandleTag::stmt);
    if (!s)
        return SQL_INVALID_HANDLE;
    return guarded(*s, [&]() { return fetch(*s); });
}

SQLRETURN SQL_API SQLFetchScroll(SQLHSTMT handle, SQLSMALLINT orientation, SQLLEN)
{
    auto *s = as<Statement>(handle, HandleTag::stmt);
    if (!s)
        return SQL_INVALID_HANDLE;
    return guarded(*s, [&]() -> SQLRETURN {
        if (orientation != SQL_FETCH_NEXT)
            throw SqlError("HY106", "Fetch type out of range: the cursor is forward-only");
        return fetch(*s);
    });
}

SQLRETURN SQL_API SQLGetData(SQLHSTMT handle, SQLUSMALLINT column, SQLSMALLINT c_type, SQLPOINTER target,
                             SQLLEN length, SQLLEN *indicator)
{
    auto *s = as<Statement>(handle, HandleTag::stmt);
    if (!s)
        return SQL_INVALID_HANDLE;
    return guarded(*s, [&]() { return get_data(*s, column, c_type, target, length, indicator); });
}

SQLRETURN SQL_API SQLCloseCursor(SQLHSTMT handle)
{
    auto *s = as<Statement>(handle, HandleTag::stmt);
    if (!s)
        return SQL_INVALID_HANDLE;
    return guarded(*s, [&]() -> SQLRETURN {
        if (!s->result)
            throw SqlError("24000", "Invalid cursor state: no open cursor");
        s->close_cursor();
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLFreeStmt(SQLHSTMT handle, SQLUSMALLINT option)
{
    auto *s = as<Statement>(handle, HandleTag::stmt);
    if (!s)
        return SQL_INVALID_HANDLE;
    if (option == SQL_DROP)
        return SQLFreeHandle(SQL_HANDLE_STMT, handle);
    return guarded(*s, [&]() -> SQLRETURN {
        switch (option) {
        case SQL_CLOSE: s->close_cursor(); return SQL_SUCCESS;
        case SQL_UNBIND: s->bindings.clear(); return SQL_SUCCESS;
        case SQL_RESET_PARAMS: return SQL_SUCCESS;
        default: throw SqlError("HY092", "Invalid attribute/option identifier");
        }
    });
}

SQLRETURN SQL_API SQLCancel(SQLHSTMT handle)
{
    auto *s = as<Statement>(handle, HandleTag::stmt);
    if (!s)
        return SQL_INVALID_HANDLE;
    return guarded(*s, [] { return SQL_SUCCESS; }); // statements run to completion inside their call
}

SQLRETURN SQL_API SQLMoreResults(SQLHSTMT handle)
{
    auto *s = as<Statement>(handle, HandleTag::stmt);
    if (!s)
        return SQL_INVALID_HANDLE;
    return guarded(*s, [&]() -> SQLRETURN {
        s->close_cursor();
        return SQL_NO_DATA;
    });
}

SQLRETURN SQL_API SQLTables(SQLHSTMT handle, SQLCHAR *catalog, SQLSMALLINT catalog_length, SQLCHAR *schema,
                            SQLSMALLINT schema_length, SQLCHAR *table, SQLSMALLINT table_length, SQLCHAR *types,
                            SQLSMALLINT types_length)
{
    auto *s = as<Statement>(handle, HandleTag::stmt);
    if (!s)
        return SQL_INVALID_HANDLE;
    return guarded(*s, [&]() -> SQLRETURN {
        Connection &dbc = connected(*s);
        s->prepared.reset();
        start_result(*s, dbc.db->tables(arg(catalog, catalog_length), arg(schema, schema_length),
                                        arg(table, table_length), arg(types, types_length),
                                        dbc.env->odbc_version == SQL_OV_ODBC2));
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLColumns(SQLHSTMT handle, SQLCHAR *, SQLSMALLINT, SQLCHAR *, SQLSMALLINT, SQLCHAR *table,
                             SQLSMALLINT table_length, SQLCHAR *column, SQLSMALLINT column_length)
{
    auto *s = as<Statement>(handle, HandleTag::stmt);
    if (!s)
        return SQL_INVALID_HANDLE;
    return guarded(*s, [&]() -> SQLRETURN {
        Connection &dbc = connected(*s);
        s->prepared.reset();
        start_result(*s, dbc.db->columns(arg(table, table_length), arg(column, column_length),
                                         dbc.env->odbc_version == SQL_OV_ODBC2));
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLSetStmtAttr(SQLHSTMT handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER)
{
    auto *s = as<Statement>(handle, HandleTag::stmt);
    if (!s)
        return SQL_INVALID_HANDLE;
    return guarded(*s, [&]() -> SQLRETURN {
        const auto v = static_cast<SQLULEN>(reinterpret_cast<std::uintptr_t>(value));
        auto only = [&](SQLULEN supported) {
            if (v == supported)
                return SQL_SUCCESS;
            s->diag.add("01S02", "Option value changed");
            return SQL_SUCCESS_WITH_INFO;
        };
        switch (attribute) {
        case SQL_ATTR_MAX_ROWS: s->max_rows = v; return SQL_SUCCESS;
        case SQL_ATTR_QUERY_TIMEOUT: s->query_timeout = v; return SQL_SUCCESS;
        case SQL_ATTR_ROWS_FETCHED_PTR: s->rows_fetched_ptr = static_cast<SQLULEN *>(value); return SQL_SUCCESS;
        case SQL_ATTR_ROW_STATUS_PTR: s->row_status_ptr = static_cast<SQLUSMALLINT *>(value); return SQL_SUCCESS;
        case SQL_ATTR_ROW_ARRAY_SIZE:
        case SQL_ROWSET_SIZE:
        case SQL_ATTR_PARAMSET_SIZE: return only(1);
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
    });
}

SQLRETURN SQL_API SQLGetStmtAttr(SQLHSTMT handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER,
                                 SQLINTEGER *length)
{
    auto *s = as<Statement>(handle, HandleTag::stmt);
    if (!s)
        return SQL_INVALID_HANDLE;
    return guarded(*s, [&]() -> SQLRETURN {
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
        case SQL_ATTR_MAX_ROWS: v = s->max_rows; break;
        case SQL_ATTR_QUERY_TIMEOUT: v = s->query_timeout; break;
        case SQL_ATTR_ROWS_FETCHED_PTR: p = s->rows_fetched_ptr; pointer = true; break;
        case SQL_ATTR_ROW_STATUS_PTR: p = s->row_status_ptr; pointer = true; break;
        case SQL_ATTR_ROW_ARRAY_SIZE:
        case SQL_ROWSET_SIZE:
        case SQL_ATTR_PARAMSET_SIZE: v = 1; break;
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
        case SQL_ATTR_ROW_NUMBER: v = s->current_row ? *s->current_row + 1 : 0; break;
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
    });
}

// ================================================================ diagnostics

SQLRETURN SQL_API SQLGetDiagRec(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record, SQLCHAR *state,
                                SQLINTEGER *native, SQLCHAR *message, SQLSMALLINT message_max,
                                SQLSMALLINT *message_length)
{
    Handle *h = diag_handle(type, handle);
    if (!h)
        return SQL_INVALID_HANDLE;
    if (record < 1 || message_max < 0)
        return SQL_ERROR;
    if (static_cast<std::size_t>(record) > h->diag.records.size())
        return SQL_NO_DATA;
    const DiagRecord &r = h->diag.records[record - 1];
    if (state)
        copy_text(r.state, state, SQLSMALLINT{6}, static_cast<SQLSMALLINT *>(nullptr));
    if (native)
        *native = r.native;
    return copy_text(r.message, message, message_max, message_length) || !message ? SQL_SUCCESS
                                                                                  : SQL_SUCCESS_WITH_INFO;
}

SQLRETURN SQL_API SQLGetDiagField(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record, SQLSMALLINT field,
                                  SQLPOINTER info, SQLSMALLINT info_max, SQLSMALLINT *info_length)
{
    Handle *h = diag_handle(type, handle);
    if (!h)
        return SQL_INVALID_HANDLE;
    auto text = [&](const std::string &t) {
        return copy_text(t, static_cast<SQLCHAR *>(info), info_max, info_length) || !info ? SQL_SUCCESS
                                                                                          : SQL_SUCCESS_WITH_INFO;
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
    default:
        break;
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

// The connection of the workbook database: connecting and disconnecting on
// either back end, executing statements, and the driver's diagnostics.
//
// ODBC: the environment, connection and statement handles are module state
// (see gxdb_internal.h). A connect allocates the environment and connection
// handles, connects with the workbook driver's connection string and
// allocates the statement handle; connecting again first releases whatever
// the previous connect left. Automation: connecting opens the workbook in
// the opened spreadsheet port (mode 0) or through the tooling utilities in
// read-write mode (non-zero mode), which hands back the workbook handle.
#include "gxdb_internal.h"
#include "util/boundary.h"
#include "gxdb_sql.h"
#include "workbook_path.h"

#include "util/module_state.h"
#include "util/text_buffer.h"

#include "hx_files.h"
#include "hx_memory.h"
#include "hx_messages.h"
#include "hx_spreadsheet.h"

#include <cstdarg>
#include <cstdio>

namespace cvstv::gxdb {

namespace {

constexpr std::size_t error_text_size = 520;  // 519 characters
constexpr std::size_t infor_text_size = 512;  // 511 characters
constexpr std::size_t err_message_size = 200; // 199 characters
constexpr std::size_t info_value_size = 255;  // 254 characters

void error_box(const char *text)
{
    HX_message_box(HX_SEVERITY_ERROR, text);
}

// Reads diagnostic records 1..n of one handle, keeping the last text.
void collect_records(SQLSMALLINT type, SQLHANDLE handle, std::string &last)
{
    if (handle == SQL_NULL_HANDLE)
        return;
    for (SQLSMALLINT i = 1;; ++i) {
        SQLCHAR state[SQL_SQLSTATE_SIZE + 1] = "";
        SQLCHAR message[error_text_size] = "";
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        SQLRETURN rc = SQLGetDiagRec(type, handle, i, state, &native, message, sizeof message, &length);
        if (!SQL_SUCCEEDED(rc))
            break;
        char text[error_text_size];
        format_bounded(text, sizeof text, "%s, SQLSTATE=%s\n", reinterpret_cast<const char *>(message),
                       reinterpret_cast<const char *>(state));
        last = text;
    }
}

} // namespace

Connection &connection()
{
    static Connection instance;
    return instance;
}

bool automation()
{
    return CVSTVSHARE_get_xls_port() >= 1 && CVSTVSHARE_get_xls_read_method() == 0;
}

bool automation_rw()
{
    return automation() && connection().workbook_handle != 0;
}

void odbc_disconnect()
{
    Connection &c = connection();
    if (c.stmt != SQL_NULL_HSTMT) {
        SQLFreeStmt(c.stmt, SQL_CLOSE);
        SQLFreeHandle(SQL_HANDLE_STMT, c.stmt);
    }
    if (c.dbc != SQL_NULL_HDBC) {
        if (c.connected)
            SQLDisconnect(c.dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, c.dbc);
    }
    if (c.env != SQL_NULL_HENV)
        SQLFreeHandle(SQL_HANDLE_ENV, c.env);
    c.stmt = SQL_NULL_HSTMT;
    c.dbc = SQL_NULL_HDBC;
    c.env = SQL_NULL_HENV;
    c.connected = false;
}

// Back to "not connected": ODBC handles are freed; a workbook held through a
// port is forgotten with the port, which belongs to the host's session.
const cvstv::ModuleStateReset connection_reset{[] {
    odbc_disconnect();
    connection() = Connection{};
}};

int odbc_connect(const char *workbook)
{
    odbc_disconnect();
    std::string path = workbook;
    std::string local = local_path(path);
    std::FILE *probe = local.empty() ? nullptr : std::fopen(local.c_str(), "rb");
    if (!probe) {
        GXDB_Display_Infor("\nCannot find data source file: %s\n", workbook);
        return -100;
    }
    std::fclose(probe);

    Connection &c = connection();
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &c.env))) {
        c.env = SQL_NULL_HENV;
        error_box("Failed to connect to database.\nCannot allocate for environment handle");
        return -1;
    }
    SQLSetEnvAttr(c.env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, c.env, &c.dbc))) {
        c.dbc = SQL_NULL_HDBC;
        error_box("Failed to connect to database.\nCannot allocate for link handle");
        return -1;
    }
    auto text = connection_string(path);
    SQLRETURN rc = SQL_ERROR;
    if (text) {
        SQLCHAR completed[connection_string_size];
        SQLSMALLINT completed_length = 0;
        rc = SQLDriverConnect(c.dbc, nullptr, reinterpret_cast<SQLCHAR *>(text->data()), SQL_NTS, completed,
                              sizeof completed, &completed_length, SQL_DRIVER_COMPLETE);
    }
    if (!SQL_SUCCEEDED(rc)) {
        error_box("Failed to connect to database.\nPlease check if database name exists\n"
                  "Please check if MICROSOFT EXCEL DRIVER (*.XLS) exists.");
        return -1;
    }
    c.connected = true;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, c.dbc, &c.stmt))) {
        c.stmt = SQL_NULL_HSTMT;
        error_box("Failed to connect to database.\nCannot allocate for statement handle.");
        return -1;
    }
    return 0;
}

SQLRETURN execute_returning_code(const std::string &sql)
{
    Connection &c = connection();
    if (c.stmt == SQL_NULL_HSTMT)
        return SQL_ERROR;
    // A result left open by an earlier query would make the driver manager
    // refuse the execution.
    SQLFreeStmt(c.stmt, SQL_CLOSE);
    std::string text = sql;
    SQLRETURN rc = SQLExecDirect(c.stmt, reinterpret_cast<SQLCHAR *>(text.data()), SQL_NTS);
    // After a failure the statement's diagnostic records stay for
    // GXDB_Errors; closing would clear them.
    if (SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA)
        SQLFreeStmt(c.stmt, SQL_CLOSE);
    return rc;
}

int execute(const std::string &sql)
{
    // A searched UPDATE or DELETE that matches no row has succeeded; the
    // driver says so with SQL_NO_DATA.
    SQLRETURN rc = execute_returning_code(sql);
    return SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA ? 0 : -1;
}

std::string last_error_text()
{
    const Connection &c = connection();
    std::string last;
    collect_records(SQL_HANDLE_STMT, c.stmt, last);
    collect_records(SQL_HANDLE_DBC, c.dbc, last);
    collect_records(SQL_HANDLE_ENV, c.env, last);
    return last;
}

} // namespace cvstv::gxdb

using namespace cvstv::gxdb;

extern "C" {

CVSTV_API int GXDB_Connect(const char *workbook) noexcept
{
    return cvstv::guarded("GXDB_Connect", -1, [&]() -> int {
        if (!workbook)
            return -1;
        Connection &c = connection();
        c.workbook = workbook;
        if (automation()) {
            int port = CVSTVSHARE_get_xls_port();
            int status = HX_SS_open_file(port, workbook);
            if (status != HX_OK)
                return status;
            return HX_SS_set_current(port, workbook);
        }
        return odbc_connect(workbook);
    });
}

CVSTV_API int GXDB_Connect_RW_Mode(const char *workbook, int mode) noexcept
{
    return cvstv::guarded("GXDB_Connect_RW_Mode", -1, [&]() -> int {
        if (!workbook)
            return -1;
        if (!automation() || mode == 0)
            return GXDB_Connect(workbook);
        Connection &c = connection();
        c.workbook = workbook;
        if (c.workbook_handle != 0) {
            // A second connect replaces the handle; the first is saved and closed
            // as its disconnect would have done.
            HX_TOOL_close_workbook(c.workbook_handle, 1);
            c.workbook_handle = 0;
        }
        int handle = 0;
        int status = HX_TOOL_open_workbook(CVSTVSHARE_get_xls_port(), workbook, mode, &handle);
        if (status != HX_OK)
            return status;
        c.workbook_handle = handle;
        return 0;
    });
}

CVSTV_API int GXDB_Disconnect(void) noexcept
{
    return cvstv::guarded("GXDB_Disconnect", -1, [&]() -> int {
        if (automation())
            return 0;
        odbc_disconnect();
        return 0;
    });
}

CVSTV_API int GXDB_Disconnect_RW_Mode(const char *workbook, int mode) noexcept
{
    return cvstv::guarded("GXDB_Disconnect_RW_Mode", -1, [&]() -> int {
        if (!automation())
            return GXDB_Disconnect();
        Connection &c = connection();
        if (mode != 0) {
            int handle = c.workbook_handle;
            c.workbook_handle = 0;
            return handle != 0 ? HX_TOOL_close_workbook(handle, 1) : 0;
        }
        if (!workbook)
            return -1;
        return HX_SS_close_file(CVSTVSHARE_get_xls_port(), workbook);
    });
}

CVSTV_API int GXDB_Errors(char **text) noexcept
{
    if (text)
        *text = nullptr;
    return cvstv::guarded("GXDB_Errors", -1, [&]() -> int {
        std::string last = last_error_text();
        if (text && !last.empty())
            *text = HX_strdup(last.c_str());
        return -1;
    });
}

CVSTV_API void GXDB_Display_Err_Msg(void *statement) noexcept
{
    cvstv::guarded_void("GXDB_Display_Err_Msg", [&] {
        SQLCHAR state[SQL_SQLSTATE_SIZE + 1] = "";
        SQLCHAR message[err_message_size] = "";
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        if (!statement || !SQL_SUCCEEDED(SQLGetDiagRec(SQL_HANDLE_STMT, static_cast<SQLHSTMT>(statement), 1,
                                                       state, &native, message, sizeof message, &length))) {
            error_box("SQL handle error.");
            return;
        }
        char text[err_message_size + 16];
        cvstv::format_bounded(text, sizeof text, "%s: %s", reinterpret_cast<const char *>(state),
                              reinterpret_cast<const char *>(message));
        error_box(text);
    });
}

CVSTV_API void GXDB_Display_Infor(const char *format, ...) noexcept
{
    if (!format)
        return;
    va_list args;
    va_start(args, format);
    cvstv::guarded_void("GXDB_Display_Infor", [&] {
        int is_open = 0;
        if (HX_listing_window_is_open(&is_open) != HX_OK || !is_open)
            HX_listing_window_open();
        char text[infor_text_size];
        cvstv::vformat_bounded(text, sizeof text, format, args);
        HX_listing_window_write(text);
    });
    va_end(args);
}

CVSTV_API int GXDB_Get_Sql_Infor(void) noexcept
{
    return cvstv::guarded("GXDB_Get_Sql_Infor", -1, [&]() -> int {
        const Connection &c = connection();
        if (c.dbc == SQL_NULL_HDBC || !c.connected)
            return -1;
        SQLUSMALLINT supported = SQL_FALSE;
        if (!SQL_SUCCEEDED(SQLGetFunctions(c.dbc, SQL_API_SQLGETINFO, &supported)) || !supported) {
            GXDB_Display_Infor("SQLGetInfo is not supported\n");
            return -1;
        }
        struct Fact {
            SQLUSMALLINT type;
            const char *format;
        };
        static const Fact facts[] = {
            {SQL_DATA_SOURCE_NAME, "               Server Name: %s\n"},
            {SQL_DATABASE_NAME, "             Database Name: %s\n"},
            {SQL_SERVER_NAME, "             Instance Name: %s\n"},
            {SQL_DBMS_NAME, "                 DBMS Name: %s\n"},
            {SQL_DBMS_VER, "              DBMS Version: %s\n"},
            {SQL_DRIVER_NAME, "           CLI Driver Name: %s\n"},
            {SQL_DRIVER_VER, "        CLI Driver Version: %s\n"},
        };
        for (const Fact &fact : facts) {
            char value[info_value_size] = "";
            SQLSMALLINT length = 0;
            if (!SQL_SUCCEEDED(SQLGetInfo(c.dbc, fact.type, value, sizeof value, &length)))
                value[0] = '\0';
            GXDB_Display_Infor(fact.format, value);
        }
        SQLSMALLINT level = -1;
        SQLSMALLINT length = 0;
        if (!SQL_SUCCEEDED(SQLGetInfo(c.dbc, SQL_ODBC_SQL_CONFORMANCE, &level, sizeof level, &length)))
            level = -1;
        static const char *const grammars[] = {"Minimum Grammar", "Core Grammar", "Extended Grammar"};
        if (level < 0 || level > 2) {
            GXDB_Display_Infor("Error calling getinfo");
            return -1;
        }
        GXDB_Display_Infor("ODBC SQL Conformance Level: %s\n", grammars[level]);
        return 0;
    });
}

} // extern "C"

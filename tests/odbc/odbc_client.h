// Test client of the workbook driver: talks to it only through the unixODBC
// driver manager, with the driver registered privately by the build
// (ODBCSYSINI points at the build's odbcinst.ini before the first connect).
#ifndef CVSTV_TESTS_ODBC_ODBC_CLIENT_H
#define CVSTV_TESTS_ODBC_ODBC_CLIENT_H

#include "../workbook/scratch_dir.h"
#include "workbook/workbook.h"

#include <sql.h>
#include <sqlext.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

using Row = std::vector<std::optional<std::string>>;
using Rows = std::vector<Row>;

inline const char *driver_name()
{
    return "MICROSOFT EXCEL DRIVER (*.XLS)";
}

// The connection string the workbook library sends.
inline std::string library_connection_string(const std::string &path)
{
    return std::string("DRIVER={") + driver_name() +
           "};DSN='';FIRSTROWHASNAMES=1;READONLY=FALSE;CREATE_DB=\"" + path + "\";DBQ=" + path;
}

class OdbcClient {
  public:
    OdbcClient()
    {
        ::setenv("ODBCSYSINI", CVSTV_ODBCSYSINI_DIR, 1);
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
        SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    }
    ~OdbcClient()
    {
        disconnect();
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        SQLFreeHandle(SQL_HANDLE_ENV, env);
    }
    OdbcClient(const OdbcClient &) = delete;
    OdbcClient &operator=(const OdbcClient &) = delete;

    SQLRETURN connect(const std::string &connection_string)
    {
        SQLCHAR out[1024];
        SQLSMALLINT out_length = 0;
        SQLRETURN rc = SQLDriverConnect(dbc, nullptr, (SQLCHAR *)connection_string.c_str(), SQL_NTS, out,
                                        sizeof out, &out_length, SQL_DRIVER_COMPLETE);
        connect_state = state(SQL_HANDLE_DBC); // before the next call on the connection clears it
        if (SQL_SUCCEEDED(rc)) {
            connected_ = true;
            SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
        }
        return rc;
    }
    void disconnect()
    {
        if (!connected_)
            return;
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
        SQLDisconnect(dbc);
        connected_ = false;
    }

    SQLRETURN exec(const std::string &sql) { return SQLExecDirect(stmt, (SQLCHAR *)sql.c_str(), SQL_NTS); }

    // Executes, fetches every row as text (NULL as nullopt) and closes the cursor.
    Rows query(const std::string &sql)
    {
        SQLRETURN rc = exec(sql);
        EXPECT_TRUE(SQL_SUCCEEDED(rc))
            << sql << ": " << state(SQL_HANDLE_STMT) << " " << message(SQL_HANDLE_STMT);
        return SQL_SUCCEEDED(rc) ? fetch_all() : Rows{};
    }

    Rows fetch_all()
    {
        Rows rows;
        SQLSMALLINT columns = 0;
        SQLNumResultCols(stmt, &columns);
        while (SQL_SUCCEEDED(SQLFetch(stmt))) {
            Row row;
            for (SQLUSMALLINT c = 1; c <= columns; ++c)
                row.push_back(text(c));
            rows.push_back(std::move(row));
        }
        SQLCloseCursor(stmt);
        return rows;
    }

    std::optional<std::string> text(SQLUSMALLINT column)
    {
        std::string value;
        char buf[64];
        SQLLEN length = 0;
        for (;;) {
            SQLRETURN rc = SQLGetData(stmt, column, SQL_C_CHAR, buf, sizeof buf, &length);
            if (rc == SQL_NO_DATA)
                break;
            if (!SQL_SUCCEEDED(rc)) {
                ADD_FAILURE() << "SQLGetData: " << state(SQL_HANDLE_STMT) << " " << message(SQL_HANDLE_STMT);
                return std::nullopt;
            }
            if (length == SQL_NULL_DATA)
                return std::nullopt;
            value += buf;
            if (rc == SQL_SUCCESS)
                break;
        }
        return value;
    }

    std::string state(SQLSMALLINT type = SQL_HANDLE_STMT)
    {
        SQLCHAR st[6] = {};
        SQLINTEGER native = 0;
        SQLCHAR msg[600];
        SQLSMALLINT len = 0;
        if (!SQL_SUCCEEDED(SQLGetDiagRec(type, handle(type), 1, st, &native, msg, sizeof msg, &len)))
            return "";
        return reinterpret_cast<char *>(st);
    }
    std::string message(SQLSMALLINT type = SQL_HANDLE_STMT)
    {
        SQLCHAR st[6] = {};
        SQLINTEGER native = 0;
        SQLCHAR msg[600] = {};
        SQLSMALLINT len = 0;
        SQLGetDiagRec(type, handle(type), 1, st, &native, msg, sizeof msg, &len);
        return reinterpret_cast<char *>(msg);
    }

    SQLHANDLE handle(SQLSMALLINT type) const
    {
        return type == SQL_HANDLE_STMT ? stmt : type == SQL_HANDLE_DBC ? dbc : env;
    }

    std::string connect_state; // SQLSTATE of the first record left by connect
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLHSTMT stmt = SQL_NULL_HSTMT;

  private:
    bool connected_ = false;
};

inline Row row(std::initializer_list<const char *> values)
{
    Row r;
    for (const char *v : values)
        r.push_back(v ? std::optional<std::string>(v) : std::nullopt);
    return r;
}

// A small parts workbook: header NAME, QTY, (empty), DIA; an empty row in the
// middle; a second sheet.
inline void write_parts_workbook(const std::string &path)
{
    using workbook::Cell;
    workbook::Workbook book;
    book.sheets.push_back({"Parts", {}});
    auto &rows = book.sheets[0].rows;
    rows.push_back({Cell::make_text("NAME"), Cell::make_text("QTY"), Cell{}, Cell::make_text("DIA")});
    rows.push_back(
        {Cell::make_text("bolt"), Cell::make_integer(3), Cell::make_text("x"), Cell::make_real(2.5)});
    rows.push_back({});
    rows.push_back({Cell::make_text("nut"), Cell::make_integer(12), Cell{}, Cell::make_real(8)});
    book.sheets.push_back({"Other", {{Cell::make_text("K")}, {Cell::make_integer(1)}}});
    ASSERT_TRUE(workbook::write_workbook(path, book).ok);
}

#endif

// Module state of the workbook database, shared by its source files.
//
// One connection at a time, process-wide, used only on the host's
// user-interface thread. Its states:
//   - disconnected: every handle null, connected false;
//   - handles allocated but not connected (a connect that failed at the
//     driver keeps them so that GXDB_Errors can read the driver's records;
//     GXDB_Disconnect releases them);
//   - connected: environment, connection and statement handles live.
// The automation back end adds the workbook handle of GXDB_Connect_RW_Mode
// (0 when none) and the host path of the workbook last connected, which the
// sheet listing of the port needs.
#ifndef CVSTV_SHEET_GXDB_INTERNAL_H
#define CVSTV_SHEET_GXDB_INTERNAL_H

#include "cvstvshare/sheet_gxdb.h"

#include <sql.h>
#include <sqlext.h>

#include <string>
#include <vector>

namespace cvstv::gxdb {

struct Connection {
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    bool connected = false;
    int workbook_handle = 0;
    std::string workbook; // host path of the last connect
};

Connection &connection();

// Automation: a port is open and the read method is 0.
bool automation();
// Automation with a workbook handle: the sheet-changing functions use it.
bool automation_rw();

// The ODBC connect of GXDB_Connect: 0, -100 (file not readable), -1 after a
// message.
int odbc_connect(const char *workbook);
// Releases the statement, the connection and the environment.
void odbc_disconnect();

// Executes a statement directly on the statement handle. 0, or -1 when
// there is no statement handle or the execution failed. The cursor is
// closed after success (the statements run this way return no rows).
int execute(const std::string &sql);
// The driver's return code of a direct execution (SQL_ERROR without a
// statement handle); the cursor is closed afterwards.
SQLRETURN execute_returning_code(const std::string &sql);

// The diagnostic records of the statement, connection and environment, the
// text of the last one ("message, SQLSTATE=state\n"), empty when none.
std::string last_error_text();

// The names of the connected workbook's tables that hold "$" (its sheets),
// in the driver's order. 0, or -1 without a statement handle or when the
// catalogue query fails.
int odbc_table_names(std::vector<std::string> &tables);

// Name used in the allocation-failure message of the record lists.
inline constexpr const char *source_name = "cvstvshare_odbctoolfunc";

} // namespace cvstv::gxdb

#endif

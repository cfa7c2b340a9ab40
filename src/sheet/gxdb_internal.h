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

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
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

// Executes a statement directly on the statement handle. 0 (also when the
// statement changed no row: the driver's SQL_NO_DATA), or -1 when there is
// no statement handle or the execution failed. The cursor is closed after
// success (the statements run this way return no rows).
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

// The library's own view of a table, in cells rather than in the record
// texts and name lists that the GXDB_ functions hand out: a cell's text is
// whatever the sheet holds, '|' and "^" included. The texts with "^" for an
// empty cell are made from these only where they are the documented output.

// One column name of a table, in column order.
struct ColumnName {
    enum Kind { named, unnamed, unreadable };
    Kind kind = unreadable;
    std::string text; // the name when named
};

struct ColumnNames {
    std::vector<ColumnName> columns; // one per column, in order
    int counted = 0;                 // the driver's column rows before the end
};

// The columns of exactly this table (the driver's table-name argument is a
// search pattern: its pattern characters are escaped and rows of other
// tables are left out). A generated name, or one that begins with "F", is
// unnamed; a "NoName" column is listed as unnamed, not counted, and ends the
// list. 0, or -1 without a statement handle or when the driver refuses the
// query (after "\nDatabase returned with error code %d\nPlease check if
// table name exists" in the listing window).
int odbc_column_names(const char *table, ColumnNames &names);

// The records of a table that hold data, each with its cells from the first
// column to the result's last (at most max_record_columns), NULL and empty
// cells as empty texts, each text at most 255 characters. The texts lie one
// after another in one buffer, so a sheet of many records costs a few large
// allocations rather than one per record and cell.
class Records {
  public:
    std::size_t size() const { return row_starts_.size(); }
    bool empty() const { return row_starts_.empty(); }
    // The number of cells of record r (r < size()).
    int cell_count(std::size_t r) const { return static_cast<int>(row_end(r) - row_starts_[r]); }
    // Cell c of record r (c < cell_count(r)).
    std::string_view cell(std::size_t r, int c) const
    {
        std::size_t i = row_starts_[r] + static_cast<std::size_t>(c);
        std::size_t begin = i == 0 ? 0 : cell_ends_[i - 1];
        return std::string_view(text_).substr(begin, cell_ends_[i] - begin);
    }
    // The highest column number (from 1) that held data in any record.
    int widest() const { return widest_; }

    // Building: begin a record, add its cells in order, end it; a record
    // without data is dropped again.
    void begin_record()
    {
        record_text_ = text_.size();
        record_cells_ = cell_ends_.size();
        record_widest_ = 0;
    }
    void add_cell(std::string_view text)
    {
        text_ += text;
        cell_ends_.push_back(text_.size());
        if (!text.empty())
            record_widest_ = static_cast<int>(cell_ends_.size() - record_cells_);
    }
    void end_record()
    {
        if (record_widest_ == 0) {
            text_.resize(record_text_);
            cell_ends_.resize(record_cells_);
            return;
        }
        row_starts_.push_back(record_cells_);
        widest_ = std::max(widest_, record_widest_);
    }

  private:
    std::size_t row_end(std::size_t r) const
    {
        return r + 1 < row_starts_.size() ? row_starts_[r + 1] : cell_ends_.size();
    }

    std::string text_;
    std::vector<std::size_t> cell_ends_;  // where each cell's text ends in text_
    std::vector<std::size_t> row_starts_; // each record's first cell
    int widest_ = 0;
    std::size_t record_text_ = 0;
    std::size_t record_cells_ = 0;
    int record_widest_ = 0;
};

inline constexpr int max_record_columns = 83;

// "SELECT * FROM `table`" and its records. 0, or -1 without a statement
// handle or when the statement fails (after the driver's error text in the
// message box). A failing fetch shows the error text and ends the records.
int odbc_records(const char *table, Records &records);

// Name used in the allocation-failure message of the record lists.
inline constexpr const char *source_name = "cvstvshare_odbctoolfunc";

} // namespace cvstv::gxdb

#endif

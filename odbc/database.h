// One open workbook seen as a database: every worksheet is a table "Name$"
// (table.h says which rows are names and records).
//
// State: the workbook in memory (a shared snapshot that result sets may
// keep), the file it was read from (held open, so that no other file can
// take its identity), and whether it holds
// changes not yet written (a transaction). Outside a transaction the file
// is checked before each statement and re-read when another writer
// replaced it. A change first takes the workbook's lock (waiting a bounded
// time, then failing with HYT00), re-reads the file if it changed since it
// was read, and checks that the user may change the file (HY000 naming it
// otherwise); then the statement changes the workbook in memory. In
// auto-commit mode the workbook is written at once and the lock released;
// in manual-commit mode the changes accumulate (the lock held) until
// commit writes them once, or rollback or disconnect discards them. A write
// goes through workbook::write_workbook, which keeps every record of the
// file that the changes do not replace, and replaces the file whole or not
// at all. A read-only database refuses every change before touching
// anything. Every statement checks everything it needs before it changes
// anything, so a refused statement leaves the workbook as it was.
#ifndef CVSTV_ODBC_DATABASE_H
#define CVSTV_ODBC_DATABASE_H

#include "odbc/result_set.h"
#include "odbc/sql_parser.h"
#include "odbc/table.h"

#include "workbook/workbook_file.h"

#include <sys/types.h>

#include <chrono>
#include <unordered_map>
#include <memory>
#include <optional>
#include <string>

namespace xlsodbc {

struct DatabaseOptions {
    std::string path;    // local file-system path of the workbook
    std::string catalog; // the workbook as the client named it, without ".xls"
    bool read_only = false;
    HeaderOptions header;
    std::chrono::milliseconds lock_wait{10000};
};

struct Outcome {
    std::optional<ResultSet> result; // set for SELECT
    SQLLEN rows_affected = -1;
    bool searched_change = false; // UPDATE or DELETE
};

// What a parameter marker stands for, as SQLDescribeParam reports it.
struct ParameterInfo {
    SQLSMALLINT sql_type = SQL_VARCHAR;
    SQLULEN size = 255;
    SQLSMALLINT decimal_digits = 0;
};

class Database {
  public:
    // Opens (and with `create` first creates, if missing) the workbook.
    // Throws SqlError: 08001 when it cannot be read.
    Database(DatabaseOptions options, bool create);

    const DatabaseOptions &options() const { return options_; }
    // Makes the connection read-only from now on (SQL_ATTR_ACCESS_MODE).
    void set_read_only() { options_.read_only = true; }

    // Runs a statement with one set of parameter values. Throws SqlError.
    Outcome execute(const ParsedSql &sql, const std::vector<Value> &params);
    // Runs a statement once per set of parameter values, all in one change
    // (auto-commit writes once, after the last). `done` counts the sets that
    // ran; a failure throws after them, and in auto-commit mode writes none.
    Outcome execute_many(const ParsedSql &sql, const std::vector<std::vector<Value>> &sets,
                         std::size_t &done);

    // What parameter `index` (from 0) of a statement stands for.
    ParameterInfo describe_parameter(const ParsedSql &sql, int index);

    bool autocommit() const { return autocommit_; }
    // Switching auto-commit on commits what is pending.
    void set_autocommit(bool on);
    bool in_transaction() const { return pending_; }
    void commit();
    void rollback();

    // Catalog result sets; patterns use % and _ (escape \), empty = all.
    // `odbc2_names` selects the ODBC 2 column titles.
    ResultSet tables(const std::string &catalog, const std::string &schema, const std::string &table_pattern,
                     const std::string &types, bool odbc2_names);
    ResultSet columns(const std::string &table_pattern, const std::string &column_pattern, bool odbc2_names);

  private:
    void load();
    void refresh();
    void begin_change();
    void write();
    workbook::Workbook &writable();
    void refuse_if_read_only(const char *what) const;

    workbook::Sheet &sheet_for(workbook::Workbook &book, const std::string &table);
    // The table view of a sheet. Its width (a pass over every row) is kept
    // per sheet until the workbook is read again or a table is created,
    // dropped or renamed: statements never widen a table (they store only
    // in its columns), so a bulk of INSERTs does not pass over the sheet
    // each time.
    TableView view_of(const workbook::Sheet &sheet) const;

    Outcome run(const CreateTable &s, const std::vector<Value> &params);
    Outcome run(const DropTable &s, const std::vector<Value> &params);
    Outcome run(const RenameTable &s, const std::vector<Value> &params);
    Outcome run(const Insert &s, const std::vector<Value> &params);
    Outcome run(const Delete &s, const std::vector<Value> &params);
    Outcome run(const Update &s, const std::vector<Value> &params);
    Outcome run(const Select &s, const std::vector<Value> &params);

    DatabaseOptions options_;
    std::shared_ptr<workbook::Workbook> book_;
    workbook::PinnedFile file_; // the file book_ was read from or written to
    bool stale_ = false;        // memory is not the file: re-read before the next use
    bool pending_ = false;      // changes not yet written; the lock is held
    bool autocommit_ = true;
    workbook::WorkbookLock lock_;
    mutable std::unordered_map<std::string, std::size_t> widths_;
};

// True when `text` matches the catalog pattern (% any run, _ any one
// character, \ escapes), ignoring ASCII case.
bool matches_pattern(const std::string &text, const std::string &pattern);

} // namespace xlsodbc

#endif

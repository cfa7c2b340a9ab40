// One open workbook seen as a database: every worksheet is a table "Name$",
// its first row names the columns (when the connection says so) and every
// further row up to the last row of the sheet is a record.
//
// State: the workbook in memory (a shared snapshot that result sets may keep),
// the identity of the file it was read from, and a stale flag. Before each
// operation the file is checked and re-read if another writer replaced it, or
// if a failed write left memory ahead of the file. Every change is applied in
// memory and then written whole through workbook::write_workbook (temporary
// file and rename), so the file always holds either the old or the new book.
// A read-only database refuses every change before touching anything.
#ifndef CVSTV_ODBC_DATABASE_H
#define CVSTV_ODBC_DATABASE_H

#include "odbc/result_set.h"
#include "odbc/sql_parser.h"

#include <sys/types.h>

#include <memory>
#include <optional>
#include <string>

namespace xlsodbc {

struct DatabaseOptions {
    std::string path;          // local file-system path of the workbook
    std::string catalog;       // the workbook as the client named it, without ".xls"
    bool read_only = false;
    bool first_row_has_names = true;
};

struct Outcome {
    std::optional<ResultSet> result; // set for SELECT
    SQLLEN rows_affected = -1;
    bool searched_change = false; // UPDATE or DELETE
};

class Database {
public:
    // Opens (and with `create` first creates, if missing) the workbook.
    // Throws SqlError: 08001 when it cannot be read.
    Database(DatabaseOptions options, bool create);

    const DatabaseOptions &options() const { return options_; }
    // Makes the connection read-only from now on (SQL_ATTR_ACCESS_MODE).
    void set_read_only() { options_.read_only = true; }

    // Parses and runs one statement. Throws SqlError.
    Outcome execute(const std::string &sql);

    // Catalog result sets; patterns use % and _ (escape \), empty = all.
    // `odbc2_names` selects the ODBC 2 column titles.
    ResultSet tables(const std::string &catalog, const std::string &schema, const std::string &table_pattern,
                     const std::string &types, bool odbc2_names);
    ResultSet columns(const std::string &table_pattern, const std::string &column_pattern, bool odbc2_names);

private:
    struct FileIdentity {
        dev_t dev = 0;
        ino_t ino = 0;
        off_t size = 0;
        long long mtime_ns = 0;
        bool operator==(const FileIdentity &) const = default;
    };

    void load();
    void refresh();
    workbook::Workbook &writable();
    void commit();
    void refuse_if_read_only(const char *what) const;

    workbook::Sheet &sheet_for(workbook::Workbook &book, const std::string &table);

    Outcome run(const CreateTable &s);
    Outcome run(const DropTable &s);
    Outcome run(const RenameTable &s);
    Outcome run(const Insert &s);
    Outcome run(const Delete &s);
    Outcome run(const Update &s);
    Outcome run(const Select &s);

    DatabaseOptions options_;
    std::shared_ptr<workbook::Workbook> book_;
    FileIdentity identity_;
    bool stale_ = false;
};

// True when `text` matches the catalog pattern (% any run, _ any one
// character, \ escapes), ignoring ASCII case.
bool matches_pattern(const std::string &text, const std::string &pattern);

} // namespace xlsodbc

#endif

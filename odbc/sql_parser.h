// The SQL the driver understands, parsed into statements.
//
// Grammar (keywords in any case, an optional ';' at the end):
//   CREATE TABLE t ( col type [(n[,m])] [, ...] )
//   DROP TABLE t
//   ALTER TABLE t RENAME TO t
//   INSERT INTO t [( col [, ...] )] VALUES ( value [, ...] )
//   DELETE FROM t [WHERE cond]
//   UPDATE t SET col = value [, ...] [WHERE cond]
//   SELECT * | col [, ...] FROM t [WHERE cond]
//   cond:  col = value [AND col = value ...]
//   value: 'text' ('' is a quote) | [+|-] integer | [+|-] real | NULL
// A table is written t, t$, [t], [t$], `t$` or "t$"; its sheet is the name
// without the one trailing '$'. Columns are names, [names], `names` or
// "names"; "^" names an unnamed column in CREATE TABLE. Anything else is
// a syntax error (SQLSTATE 42000).
#ifndef CVSTV_ODBC_SQL_PARSER_H
#define CVSTV_ODBC_SQL_PARSER_H

#include "workbook/workbook.h"

#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace xlsodbc {

// A failure reported to the application as one diagnostic record.
struct SqlError : std::runtime_error {
    SqlError(std::string state_, const std::string &message) : std::runtime_error(message), state(std::move(state_)) {}
    std::string state;
};

using Value = workbook::Cell; // an empty cell is NULL

struct Condition {
    std::string column;
    Value value;
};

struct ColumnDef {
    std::string name; // empty for an unnamed column
    std::string type; // as written, e.g. "text(50)"
};

struct CreateTable {
    std::string table;
    std::vector<ColumnDef> columns;
};
struct DropTable {
    std::string table;
};
struct RenameTable {
    std::string from, to;
};
struct Insert {
    std::string table;
    std::vector<std::string> columns; // empty: the table's columns in order
    std::vector<Value> values;
};
struct Delete {
    std::string table;
    std::vector<Condition> where;
};
struct Update {
    std::string table;
    std::vector<std::pair<std::string, Value>> assignments;
    std::vector<Condition> where;
};
struct Select {
    std::string table;
    std::vector<std::string> columns; // empty: *
    std::vector<Condition> where;
};

using SqlStatement = std::variant<CreateTable, DropTable, RenameTable, Insert, Delete, Update, Select>;

// Parses one statement; throws SqlError("42000", ...) for anything outside
// the grammar. Table names come back as sheet names (trailing '$' removed).
SqlStatement parse_sql(const std::string &sql);

// A table name as written in SQL or a catalog call, as a sheet name: one
// trailing '$' and surrounding single quotes removed.
std::string sheet_name_of(const std::string &table);

} // namespace xlsodbc

#endif

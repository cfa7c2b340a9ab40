// The SQL the driver understands, parsed into statements.
//
// Grammar (keywords in any case, an optional ';' at the end; comments from
// "--" to the end of the line and between "/*" and "*/"):
//   CREATE TABLE t ( col type [(n[,m])] [, ...] )
//   DROP TABLE t
//   ALTER TABLE t RENAME TO t
//   INSERT INTO t [( col [, ...] )] VALUES ( value [, ...] )
//   DELETE FROM t [WHERE cond]
//   UPDATE t SET col = value [, ...] [WHERE cond]
//   SELECT [ALL] item [, ...] FROM t [WHERE cond] [ORDER BY col [ASC|DESC] [, ...]]
//   item:  * | col [[AS] alias] | COUNT(*) | COUNT(col) | MIN(col) | MAX(col)
//          | SUM(col) | AVG(col)   (aggregates and columns do not mix)
//   cond:  cond OR cond | cond AND cond | NOT cond | ( cond )
//          | operand op operand            op: = <> != < <= > >=
//          | operand [NOT] LIKE operand [ESCAPE 'c']
//          | operand IS [NOT] NULL
//          | operand [NOT] IN ( value [, ...] )
//          | operand [NOT] BETWEEN operand AND operand
//   operand: col | value
//   value: 'text' ('' is a quote) | [+|-] number | NULL | ?
//          | {d 'yyyy-mm-dd'} | {t 'hh:mm:ss'} | {ts 'yyyy-mm-dd hh:mm:ss'}
// A '?' is a parameter, numbered from 1 in the order written. A table is
// written t, t$, [t], [t$], `t$` or "t$"; its sheet is the name without the
// one trailing '$'. Columns are names, [names], `names` or "names"; "^"
// names an unnamed column in CREATE TABLE. Anything else is a syntax error
// (SQLSTATE 42000).
#ifndef CVSTV_ODBC_SQL_PARSER_H
#define CVSTV_ODBC_SQL_PARSER_H

#include "workbook/workbook.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace xlsodbc {

// A failure reported to the application as one diagnostic record.
struct SqlError : std::runtime_error {
    SqlError(std::string state_, const std::string &message)
        : std::runtime_error(message), state(std::move(state_))
    {
    }
    std::string state;
};

using Value = workbook::Cell; // an empty cell is NULL

// A value as written in a statement: a literal, or parameter `parameter`
// (from 0) whose value comes with each execution.
struct Operand {
    enum class Kind { column, literal, parameter } kind = Kind::literal;
    std::string column;
    Value value;
    int parameter = -1;
};

enum class CompareOp { eq, ne, lt, le, gt, ge };

struct Condition {
    enum class Kind { compare, and_, or_, not_, is_null, like, in, between } kind = Kind::compare;
    CompareOp op = CompareOp::eq;
    bool negated = false;          // IS NOT NULL, NOT LIKE, NOT IN, NOT BETWEEN
    std::vector<Operand> operands; // compare: 2; is_null: 1; like: 2 (+ escape); in: 1 + list; between: 3
    std::vector<Condition> parts;  // and, or: 2; not: 1
    bool has_escape = false;
    std::string escape;
};

struct ColumnDef {
    std::string name; // empty for an unnamed column
    std::string type; // as written, e.g. "text(50)"
};

struct SelectItem {
    enum class Kind { column, count_star, count, min, max, sum, avg } kind = Kind::column;
    std::string column;
    std::string alias; // the result column's name, when given
};

struct OrderKey {
    std::string column;
    bool descending = false;
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
    std::vector<Operand> values;      // literals and parameters
};
struct Delete {
    std::string table;
    std::optional<Condition> where;
};
struct Update {
    std::string table;
    std::vector<std::pair<std::string, Operand>> assignments;
    std::optional<Condition> where;
};
struct Select {
    std::string table;
    std::vector<SelectItem> items; // empty: *
    std::optional<Condition> where;
    std::vector<OrderKey> order_by;
    bool aggregate() const { return !items.empty() && items.front().kind != SelectItem::Kind::column; }
};

using SqlStatement = std::variant<CreateTable, DropTable, RenameTable, Insert, Delete, Update, Select>;

// A statement and the number of its parameters.
struct ParsedSql {
    SqlStatement statement;
    int parameter_count = 0;
};

// Parses one statement; throws SqlError("42000", ...) for anything outside
// the grammar. Table names come back as sheet names (trailing '$' removed).
ParsedSql parse_sql(const std::string &sql);

// A table name as written in SQL or a catalog call, as a sheet name: one
// trailing '$' and surrounding single quotes removed.
std::string sheet_name_of(const std::string &table);

// The value of an ODBC date, time or timestamp literal's text
// ("2024-01-31", "13:45:30", "2024-01-31 13:45:30[.fff]"); throws
// SqlError 22007 for a malformed one.
Value datetime_literal(workbook::CellType kind, const std::string &text);

} // namespace xlsodbc

#endif

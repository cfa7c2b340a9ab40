// Conditions and comparisons over the cells of a table, as the driver's SQL
// evaluates them.
//
// NULL is an empty cell (or an empty text). A comparison with NULL is
// unknown, and so is NOT unknown; a row is selected only when its condition
// is true. Numbers, dates, times and booleans (TRUE is 1) compare by value;
// a text compared with one of them compares by value when the project's
// number reader reads it as a number, and otherwise as the other value's
// text (a date's text is "2024-01-31", so dates compare with such texts);
// two texts compare ignoring the case of ASCII letters. LIKE matches '%'
// (any run of characters) and '_' (one character) ignoring ASCII case, with
// an optional escape character.
#ifndef CVSTV_ODBC_EVALUATE_H
#define CVSTV_ODBC_EVALUATE_H

#include "odbc/sql_parser.h"
#include "odbc/table.h"

#include <optional>
#include <unordered_map>
#include <vector>

namespace xlsodbc {

// <0, 0, >0 for two values that are not NULL.
int compare_values(const Value &a, const Value &b);
// The order of ORDER BY: NULL first, then numbers (and dates, booleans) by
// value, then texts ignoring ASCII case.
int order_values(const Value &a, const Value &b);
// True when `text` matches the LIKE pattern.
bool like(const std::string &text, const std::string &pattern, int escape);

// A WHERE condition bound to a table and a set of parameter values.
class RowFilter {
  public:
    // Resolves the condition's columns (SqlError 42S22 for a missing one).
    RowFilter(const std::optional<Condition> &where, const TableView &table,
              const std::vector<Value> &params);
    bool matches(const std::vector<workbook::Cell> &row) const;

  private:
    enum class Truth { no, yes, unknown };
    void resolve(const Condition &c);
    void resolve(const Operand &o);
    Truth evaluate(const Condition &c, const std::vector<workbook::Cell> &row) const;
    const Value &value(const Operand &o, const std::vector<workbook::Cell> &row) const;

    const std::optional<Condition> &where_;
    const TableView &table_;
    const std::vector<Value> &params_;
    std::unordered_map<const Operand *, std::size_t> columns_;
};

// The value of a literal or parameter operand.
const Value &operand_value(const Operand &o, const std::vector<Value> &params);

} // namespace xlsodbc

#endif

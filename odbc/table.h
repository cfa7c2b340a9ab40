// A worksheet seen as a table: which row names the columns, which rows are
// records, the column names a client uses and the SQL type of each column.
//
// Where the names come from (the connection's choice):
//   - the first row (FIRSTROWHASNAMES=1, the default);
//   - no row (FIRSTROWHASNAMES=0): columns are F1, F2, ... and every row is a
//     record;
//   - a given row (HEADERROW=n, from 1): rows above it are not part of the
//     table;
//   - the catalogue layout (HEADERROW=PARAMETERS): the first non-empty row
//     after the last row whose first cell is "PARAMETERS"; records run to the
//     row whose first cell is "END". As in every reader of catalogues, a "##"
//     or "//" in a cell starts a comment to the end of the row, and a value
//     written once in a column stands for the records below it until the
//     next value (fill-down). Such a table shows derived values, so it is
//     read-only.
// A record is a row below the name row that holds a value in any cell; rows
// without one (never used, or cleared by DELETE) are not records.
//
// Column names: a name cell's text; an empty name cell gets "F" and the
// column's number. A name that is already taken (ignoring case) by a column
// to its left, or a generated name that a name cell of the table holds
// anywhere, gets "_2" (or the next free number) appended, so that every
// column has a name of its own that a client can reach.
//
// Types, from every record's cell in the column: all numbers SQL_DOUBLE,
// all booleans SQL_BIT, all dates SQL_TYPE_DATE, all times SQL_TYPE_TIME,
// dates and date-times (or times mixed with dates) SQL_TYPE_TIMESTAMP,
// anything else (texts, mixtures, errors, an empty column) SQL_VARCHAR sized
// to its longest text (at least 255).
#ifndef CVSTV_ODBC_TABLE_H
#define CVSTV_ODBC_TABLE_H

#include "odbc/result_set.h"
#include "odbc/sql_parser.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace xlsodbc {

struct HeaderOptions {
    enum class Mode { first_row, none, row, catalogue } mode = Mode::first_row;
    std::size_t row = 0; // Mode::row: the name row (from 0)
};

class TableView {
  public:
    // `width`, when known, is the number of columns (computing it takes a
    // pass over every row).
    TableView(const workbook::Sheet &sheet, const HeaderOptions &header, std::size_t width = 0);

    // The rows the table reads: the sheet's, or a catalogue view's own.
    const workbook::Sheet &sheet() const { return *rows_; }
    // Keeps a catalogue view's rows alive for a result set.
    std::shared_ptr<const workbook::Sheet> derived() const { return derived_; }
    bool read_only() const { return derived_ != nullptr; }

    const std::vector<std::string> &names() const { return names_; }
    // The column of that name (ignoring ASCII case); SqlError 42S22 if none.
    std::size_t find(const std::string &column) const;
    // The rows that are records, in order (found on first use).
    const std::vector<std::uint32_t> &records() const;
    // The row below which a new record goes: after the last row that holds a
    // cell (counting empty texts, which keep their rows).
    std::size_t append_row() const { return append_row_; }
    // The name row (when there is one) and the first row a record may use.
    bool has_name_row() const { return has_name_row_; }
    std::size_t name_row() const { return name_row_; }
    std::size_t first_record_row() const { return first_row_; }
    std::size_t end_row() const { return end_row_; }

    ColumnInfo column_info(std::size_t column, const std::string &table) const;
    // The same for several columns at once, in one pass over the rows.
    std::vector<ColumnInfo> column_infos(const std::vector<std::size_t> &columns,
                                         const std::string &table) const;

  private:
    const workbook::Sheet *rows_;
    std::shared_ptr<workbook::Sheet> derived_;
    bool has_name_row_ = false;
    std::size_t name_row_ = 0, first_row_ = 0, end_row_ = 0, append_row_ = 0;
    std::vector<std::string> names_;
    mutable std::optional<std::vector<std::uint32_t>> records_;
};

// Whether any cell of the row holds a value.
bool holds_value(const std::vector<workbook::Cell> &row);

bool iequal(const std::string &a, const std::string &b);

} // namespace xlsodbc

#endif

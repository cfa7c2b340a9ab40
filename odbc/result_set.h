// A result set as the statement handle serves it: column descriptions and
// rows of cells. Catalog and aggregate results own their rows; SELECT
// results are a view of a sheet (which rows, which columns) that keeps the
// workbook snapshot (or catalogue view) they came from alive, so later
// changes on the connection never move them.
#ifndef CVSTV_ODBC_RESULT_SET_H
#define CVSTV_ODBC_RESULT_SET_H

#include "workbook/workbook.h"

#include <sql.h>
#include <sqlext.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace xlsodbc {

struct ColumnInfo {
    std::string name;
    SQLSMALLINT sql_type = SQL_VARCHAR;
    std::string type_name = "VARCHAR";
    SQLULEN size = 255;
    SQLSMALLINT decimal_digits = 0;
    SQLSMALLINT nullable = SQL_NULLABLE;
    std::string table; // the table it comes from, "" for catalog results

    bool is_datetime() const
    {
        return sql_type == SQL_TYPE_DATE || sql_type == SQL_TYPE_TIME || sql_type == SQL_TYPE_TIMESTAMP;
    }
    // SQL_DESC_TYPE: SQL_DATETIME for the date and time types.
    SQLSMALLINT verbose_type() const { return is_datetime() ? SQL_DATETIME : sql_type; }
    SQLSMALLINT datetime_subcode() const
    {
        return sql_type == SQL_TYPE_DATE   ? SQL_CODE_DATE
               : sql_type == SQL_TYPE_TIME ? SQL_CODE_TIME
                                           : SQL_CODE_TIMESTAMP;
    }
    // Bytes of the value in its default C type (texts: UTF-8, up to 4 bytes
    // a character).
    SQLLEN octet_length() const
    {
        switch (sql_type) {
        case SQL_DOUBLE: return 8;
        case SQL_BIT: return 1;
        case SQL_SMALLINT: return 2;
        case SQL_INTEGER: return 4;
        case SQL_TYPE_DATE:
        case SQL_TYPE_TIME: return 6;
        case SQL_TYPE_TIMESTAMP: return 16;
        default: return static_cast<SQLLEN>(size) * 4;
        }
    }
};

struct ResultSet {
    std::vector<ColumnInfo> columns;

    // Catalog results: the rows themselves.
    std::vector<std::vector<workbook::Cell>> owned;

    // Table results: rows `rows` of `sheet`, column i taken from sheet column
    // `source_columns[i]`; `keep_alive` owns the sheet.
    std::shared_ptr<const void> keep_alive;
    const workbook::Sheet *sheet = nullptr;
    std::vector<std::uint32_t> rows;
    std::vector<std::size_t> source_columns;

    std::size_t row_count() const { return sheet ? rows.size() : owned.size(); }

    // The cell, or nullptr for NULL (an empty cell or one past its row's end).
    const workbook::Cell *cell(std::size_t row, std::size_t column) const
    {
        const workbook::Cell *c = nullptr;
        if (sheet) {
            const auto &r = sheet->rows[rows[row]];
            const std::size_t sc = source_columns[column];
            c = sc < r.size() ? &r[sc] : nullptr;
        } else {
            const auto &r = owned[row];
            c = column < r.size() ? &r[column] : nullptr;
        }
        return c && c->type != workbook::CellType::empty ? c : nullptr;
    }
};

} // namespace xlsodbc

#endif

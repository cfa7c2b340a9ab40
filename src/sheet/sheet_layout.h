// Internal helpers for the layout of a sheet: cells, keyword rows, the
// field-name row and the column of a field. They accept any table state (a
// null or empty table, null rows of a raw grid) and answer "none".
#ifndef CVSTV_SHEET_SHEET_LAYOUT_H
#define CVSTV_SHEET_SHEET_LAYOUT_H

#include "cvstvshare/sheet.h"

#include <string_view>

namespace cvstv::sheet {

inline bool cell_empty(const char *cell)
{
    return !cell || !*cell;
}

// True when the table has at least one row and one column.
inline bool has_cells(const sheet_table *table)
{
    return table && table->rows && table->row_count > 0 && table->column_count > 0;
}

// The cell at (row, column), or null when it is empty or outside the table.
inline const char *cell_at(const sheet_table *table, int row, int column)
{
    if (!has_cells(table) || row < 0 || row >= table->row_count || column < 0 ||
        column >= table->column_count)
        return nullptr;
    char **cells = table->rows[row];
    return cells ? cells[column] : nullptr;
}

// The text of a keyword code, or null for a code that names none.
const char *keyword_text(int code);

// Index of the first row whose first cell is the keyword; -1 for none.
int keyword_row(const sheet_table *table, int code);

// Index of the field-name row; row_count (0 for an empty table) for none.
int field_start_row(const sheet_table *table);

// Column of the field-name row at index start whose text equals name;
// -1 when no column carries it.
int field_column(const sheet_table *table, int start, std::string_view name);

} // namespace cvstv::sheet

#endif

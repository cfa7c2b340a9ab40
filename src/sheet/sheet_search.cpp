// Record search: the records of the record block that satisfy every single
// condition of a compound condition, and the result value of each.
//
// A search prepares its conditions once: each is split, its field name
// resolved to a column of the field-name row, and its value classified (and
// read as a number) before the first record is looked at. Per record only
// the cells are classified. Result values are collected as views of the
// table's cells and copied into the caller's list in one pass at the end.
//
// Result value of a match, with k single conditions: when the last operator
// is "=" and column k exists and holds a cell, the cell of column k, moving
// right past cells that begin with "Hide" (but no further than the last
// column); otherwise the cell of column k - 1. A match whose chosen cell is
// empty still counts (and may become found_row) but adds no value to the
// list: list entries are never empty, and an empty cell neither ends nor
// starts a run of repeated values.
#include "sheet/sheet_condition.h"
#include "util/boundary.h"
#include "sheet/sheet_layout.h"
#include "util/str_list.h"

#include <cstring>
#include <string_view>
#include <vector>

namespace cvstv::sheet {

namespace {

// One single condition, ready to test records with.
struct PreparedCondition {
    bool every_record = false; // the text holds "KT_ALL_RECORD"
    int op = SHEET_OP_NONE;
    int column = -1;
    std::string value;
    Operand operand; // views value
};

bool starts_with_hide(const char *cell) { return std::strncmp(cell, "Hide", 4) == 0; }

const char *result_value(const sheet_table *table, char **row, int k, int last_op)
{
    const int columns = table->column_count;
    if (last_op == SHEET_OP_EQ && k < columns && !cell_empty(row[k])) {
        int c = k;
        while (c < columns - 1 && row[c] && starts_with_hide(row[c]))
            ++c;
        return row[c];
    }
    return k - 1 < columns ? row[k - 1] : nullptr;
}

bool holds(const PreparedCondition &condition, char **row)
{
    if (condition.every_record)
        return true;
    if (condition.op == SHEET_OP_NONE || condition.column < 0)
        return false;
    const char *cell = row[condition.column];
    return cell && field_holds(cell, condition.op, condition.operand);
}

} // namespace

} // namespace cvstv::sheet

using namespace cvstv::sheet;

extern "C" {

CVSTV_API int sheet_record_compare(sheet_table *table, int row, const char *condition) noexcept
{
    return cvstv::guarded("sheet_record_compare", -1, [&]() -> int {
        if (!condition || !has_cells(table) || row < 0 || row >= table->row_count)
            return -1;
        SingleCondition split = split_single(condition);
        if (split.op == SHEET_OP_NONE)
            return -1;
        int column = field_column(table, field_start_row(table), split.name);
        if (column < 0)
            return -1;
        const char *cell = cell_at(table, row, column);
        if (split.value == all_records)
            return split.op;
        if (!cell)
            return -1;
        return field_holds(cell, split.op, Operand(split.value)) ? split.op : -1;
    });
}

CVSTV_API int sheet_search_record(sheet_table *table, const char *condition, char ***list, int *count) noexcept
{
    return cvstv::guarded("sheet_search_record", -1, [&]() -> int {
        if (list)
            *list = nullptr;
        if (count)
            *count = 0;
        if (table)
            table->found_row = -1;
        if (!table || !condition)
            return 0;

        CompoundCondition compound = split_compound(condition);
        const int k = compound.count;
        if (k == 0)
            return 0;
        const int last_op = split_single(compound.parts[static_cast<std::size_t>(k - 1)]).op;
        if (!has_cells(table))
            return 0;

        const int start = field_start_row(table);
        std::vector<PreparedCondition> conditions(static_cast<std::size_t>(k));
        for (int i = 0; i < k; ++i) {
            const std::string &text = compound.parts[static_cast<std::size_t>(i)];
            PreparedCondition &p = conditions[static_cast<std::size_t>(i)];
            p.every_record = text.find(all_records) != std::string::npos;
            if (p.every_record)
                continue;
            SingleCondition split = split_single(text);
            p.op = split.op;
            if (p.op == SHEET_OP_NONE)
                continue;
            p.column = field_column(table, start, split.name);
            p.value = std::move(split.value);
            p.operand = Operand(p.value);
        }

        // Room for every record up front: growing the list of views by
        // doubling would copy it and touch fresh pages at every step, which on
        // a large sheet costs more than the search. Untouched room is never
        // paged in.
        int matches = 0;
        std::vector<std::string_view> values;
        values.reserve(static_cast<std::size_t>(table->row_count - start));
        for (int r = start + 1; r < table->row_count; ++r) {
            char **row = table->rows[r];
            if (!row || cell_empty(row[0]))
                continue;
            const char *first = row[0];
            if (first[0] == 'E' && first[1] == 'N' && first[2] == 'D' && first[3] == '\0')
                break;
            bool match = true;
            for (const PreparedCondition &c : conditions)
                if (!holds(c, row)) {
                    match = false;
                    break;
                }
            if (!match)
                continue;
            if (table->found_row < 0)
                table->found_row = r;
            ++matches;
            const char *value = result_value(table, row, k, last_op);
            if (cell_empty(value) || (!values.empty() && values.back() == value))
                continue;
            values.emplace_back(value);
        }

        if (list && !values.empty()) {
            char **out = nullptr;
            if (cvstv::append_str_list(&out, values) < 0)
                return -1;
            *list = out;
        }
        if (count)
            *count = static_cast<int>(values.size());
        return matches;
    });
}

} // extern "C"

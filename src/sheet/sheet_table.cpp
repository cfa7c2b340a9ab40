// The sheet table's life cycle: releasing a table and a list, and the
// normalisation every reader applies to its raw grid before handing the
// table over.
//
// A reader builds row_count rows of column_count cells from the host
// allocator; an absent row is null, an empty cell is null. Normalisation
// then (1) strips comments ("##" or "//" to the end of the row) and nulls
// rows left without text, (2) fills empty record cells down from the record
// above them, so that a value written once stands for every record below it
// until the next value in its column, and (3) drops the null rows. After it
// no row pointer is null, every row holds at least one non-empty cell, and
// found_row is -1.
#include "sheet/sheet_internal.h"

#include "hx_memory.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

bool is_empty(const char *cell)
{
    return !cell || !*cell;
}

bool first_cell_is(char **row, int column_count, const char *text)
{
    return row && column_count > 0 && row[0] && row[0][0] == text[0] && std::strcmp(row[0], text) == 0;
}

void free_row(char **row, int column_count)
{
    if (!row)
        return;
    for (int c = 0; c < column_count; ++c)
        HX_free(row[c]);
    HX_free(row);
}

// Position of the first comment mark ("##" or "//") in text, or null.
char *comment_mark(char *text)
{
    for (char *p = text; p[0] && p[1]; ++p)
        if ((p[0] == '#' && p[1] == '#') || (p[0] == '/' && p[1] == '/'))
            return p;
    return nullptr;
}

// The comment is cut in place: the cell keeps its block, which is only ever
// shortened, so stripping cannot run out of memory. Empty-string cells are
// made null on the way, so later steps see one kind of empty cell.
void strip_row(sheet_table *table, int r)
{
    const int columns = table->column_count;
    char **row = table->rows[r];
    if (!row)
        return;
    for (int c = 0; c < columns; ++c) {
        char *cell = row[c];
        if (!cell)
            continue;
        char *mark = comment_mark(cell);
        if (!mark) {
            if (!*cell) {
                HX_free(cell);
                row[c] = nullptr;
            }
            continue;
        }
        *mark = '\0';
        if (cell_string_validate(cell) != 0) {
            HX_free(cell);
            row[c] = nullptr;
        }
        for (int rest = c + 1; rest < columns; ++rest) {
            HX_free(row[rest]);
            row[rest] = nullptr;
        }
        break;
    }
    bool has_text = false;
    for (int c = 0; c < columns && !has_text; ++c)
        has_text = !is_empty(row[c]);
    if (!has_text) {
        free_row(row, columns);
        table->rows[r] = nullptr;
    }
}

// The record block runs from the field-name row (start: the first non-null
// row within the 99 rows after the last PARAMETERS row) to the last END row;
// without a PARAMETERS row it is the whole table. The field-name row itself
// is never filled. blank_texts: whether a cell may be an empty text rather
// than null (not after the comment step, which makes every empty cell null).
// candidates: the only rows that may be keyword rows; null for every row.
int fill_down(sheet_table *table, bool blank_texts, const std::vector<int> *candidates = nullptr)
{
    const int rows = table->row_count;
    const int columns = table->column_count;

    int parameters = -1;
    int end_row = -1;
    auto consider = [&](int r) {
        if (first_cell_is(table->rows[r], columns, "PARAMETERS"))
            parameters = std::max(parameters, r);
        else if (first_cell_is(table->rows[r], columns, "END"))
            end_row = std::max(end_row, r);
    };
    if (candidates) {
        for (int r : *candidates)
            if (r >= 0 && r < rows)
                consider(r);
    } else {
        for (int r = 0; r < rows; ++r)
            consider(r);
    }
    int start = 0;
    int end = rows;
    if (parameters >= 0) {
        start = parameters >= rows - 99 ? rows : parameters + 99;
        for (int r = parameters + 1; r <= parameters + 99 && r < rows; ++r)
            if (table->rows[r]) {
                start = r;
                break;
            }
        if (end_row >= 0)
            end = end_row;
    }

    // The last non-empty cell of each column seen below start; the filled
    // cells copy it, so it stays the value above every later row.
    std::vector<const char *> above(static_cast<std::size_t>(columns), nullptr);
    for (int r = start + 1; r < end; ++r) {
        char **row = table->rows[r];
        if (!row)
            continue;
        for (int c = 0; c < columns; ++c) {
            if (blank_texts ? !is_empty(row[c]) : row[c] != nullptr) {
                above[static_cast<std::size_t>(c)] = row[c];
                continue;
            }
            const char *value = above[static_cast<std::size_t>(c)];
            if (!value)
                continue;
            char *copy = HX_strdup(value);
            if (!copy)
                return -1;
            HX_free(row[c]);
            row[c] = copy;
        }
    }
    return 0;
}

} // namespace

extern "C" {

CVSTV_API int sheet_release_memo(sheet_table *table)
{
    if (!table || !table->rows)
        return 0;
    for (int r = 0; r < table->row_count; ++r)
        free_row(table->rows[r], table->column_count);
    HX_free(table->rows);
    table->rows = nullptr;
    table->row_count = 0;
    table->column_count = 0;
    return 0;
}

CVSTV_API int sheet_free_mem(char **list)
{
    if (!list)
        return 0;
    for (char **p = list; *p; ++p)
        HX_free(*p);
    HX_free(list);
    return 0;
}

CVSTV_API int cell_string_validate(char *text)
{
    if (!text)
        return -1;
    std::size_t blanks = std::strspn(text, " ");
    if (blanks > 0)
        std::memmove(text, text + blanks, std::strlen(text + blanks) + 1);
    return *text ? 0 : -1;
}

int sheet_strip_comments(sheet_table *table)
{
    if (!table || table->row_count < 0 || table->column_count < 0 || (table->row_count > 0 && !table->rows))
        return -1;
    for (int r = 0; r < table->row_count; ++r)
        strip_row(table, r);
    return 0;
}

int sheet_fill_down(sheet_table *table)
{
    if (!table || table->row_count < 0 || table->column_count < 0 || (table->row_count > 0 && !table->rows))
        return -1;
    return fill_down(table, true);
}

int sheet_compact_rows(sheet_table *table)
{
    if (!table || table->row_count < 0 || (table->row_count > 0 && !table->rows))
        return -1;
    int kept = 0;
    for (int r = 0; r < table->row_count; ++r)
        if (table->rows[r])
            ++kept;
    table->found_row = -1;
    if (kept == 0) {
        HX_free(table->rows);
        table->rows = nullptr;
        table->row_count = 0;
        table->column_count = 0;
        return -2;
    }
    auto **compact =
        static_cast<char ***>(HX_allocate_memory(static_cast<std::size_t>(kept) * sizeof(char **), nullptr));
    if (!compact)
        return -1;
    int at = 0;
    for (int r = 0; r < table->row_count; ++r)
        if (table->rows[r])
            compact[at++] = table->rows[r];
    HX_free(table->rows);
    table->rows = compact;
    table->row_count = kept;
    return 0;
}

int sheet_normalize(sheet_table *table)
{
    if (!table)
        return -1;
    int status = sheet_strip_comments(table);
    if (status == 0)
        status = fill_down(table, false);
    if (status == 0)
        status = sheet_compact_rows(table);
    if (status == -1)
        sheet_release_memo(table);
    return status;
}

} // extern "C"

int sheet_normalize_noted(sheet_table *table, const SheetGridNotes &notes)
{
    for (int r : notes.rows_with_comments)
        if (r >= 0 && r < table->row_count)
            strip_row(table, r);
    std::vector<int> candidates = notes.keyword_rows;
    candidates.insert(candidates.end(), notes.rows_with_comments.begin(), notes.rows_with_comments.end());
    int status = fill_down(table, false, &candidates);
    if (status == 0)
        status = sheet_compact_rows(table);
    if (status == -1)
        sheet_release_memo(table);
    return status;
}

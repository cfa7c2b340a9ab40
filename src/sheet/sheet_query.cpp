// Queries on a sheet's layout: keyword codes, keyword values, lines and
// blocks, the bitmap cell, and the field-name row with its names and the
// found record's values.
//
// All queries read the table only; lists they hand out are new, built in one
// pass from the host allocator, and owned by the caller.
#include "sheet/sheet_layout.h"
#include "util/boundary.h"
#include "util/str_list.h"
#include "util/text_buffer.h"

#include "hx_memory.h"

#include <cstring>
#include <string>
#include <vector>

namespace cvstv::sheet {

namespace {

struct Keyword {
    const char *text;
    int code;
};

constexpr Keyword keywords[] = {
    {"PARAMETERS", SHEET_KW_PARAMETERS},
    {"END", SHEET_KW_END},
    {"INTER_SHEET", SHEET_KW_INTER_SHEET},
    {"EXPRESSIONS", SHEET_KW_EXPRESSIONS},
    {"POSITION", SHEET_KW_POSITION},
    {"ATTRIBUTES", SHEET_KW_ATTRIBUTES},
    {"PARENT", SHEET_KW_PARENT},
    {"INTER_PART", SHEET_KW_INTER_PART},
    {"SHEET_TYPE", SHEET_KW_SHEET_TYPE},
    {"COMMENT", SHEET_KW_COMMENT},
    {"EXTRA_DATA_SHEET", SHEET_KW_EXTRA_DATA_SHEET},
    {"SEARCH_PATH", SHEET_KW_SEARCH_PATH},
    {"STANDARD_LIST", SHEET_KW_STANDARD_LIST},
    {"MATE_CONDITIONS", SHEET_KW_MATE_CONDITIONS},
    {"INTER_TABLE_VALUE", SHEET_KW_INTER_TABLE_VALUE},
    {"KF_ATTRIBUTES", SHEET_KW_KF_ATTRIBUTES},
    {"KF_CHILD_RULE", SHEET_KW_KF_CHILD_RULE},
    {"PRE_CONFIG_LIST", SHEET_KW_PRE_CONFIG_LIST},
    {"BEFORE_EXP_UPDATE", SHEET_KW_BEFORE_EXP_UPDATE},
    {"AFTER_EXP_UPDATE", SHEET_KW_AFTER_EXP_UPDATE},
    {"BITMAP", SHEET_KW_BITMAP},
};

int keyword_code(const char *text)
{
    if (!text)
        return SHEET_KW_NONE;
    for (const Keyword &k : keywords)
        if (std::strcmp(k.text, text) == 0)
            return k.code;
    return SHEET_KW_NONE;
}

bool row_has_text(char **row, int column_count)
{
    if (!row)
        return false;
    for (int c = 0; c < column_count; ++c)
        if (!cell_empty(row[c]))
            return true;
    return false;
}

int count_names(char **row, int column_count)
{
    int n = 0;
    for (int c = 0; c < column_count; ++c)
        if (!cell_empty(row[c]))
            ++n;
    return n;
}

} // namespace

const char *keyword_text(int code)
{
    for (const Keyword &k : keywords)
        if (k.code == code)
            return k.text;
    return nullptr;
}

int keyword_row(const sheet_table *table, int code)
{
    const char *text = keyword_text(code);
    if (!text || !has_cells(table))
        return -1;
    for (int r = 0; r < table->row_count; ++r) {
        const char *first = cell_at(table, r, 0);
        if (first && std::strcmp(first, text) == 0)
            return r;
    }
    return -1;
}

int field_start_row(const sheet_table *table)
{
    if (!has_cells(table))
        return table && table->row_count > 0 ? table->row_count : 0;
    int parameters = keyword_row(table, SHEET_KW_PARAMETERS);
    for (int r = parameters + 1; r < table->row_count; ++r)
        if (row_has_text(table->rows[r], table->column_count))
            return r;
    return table->row_count;
}

// Every named column of the field-name row is searched, left to right, even
// when empty cells stand between the names: a sheet author who leaves a
// column unnamed still expects the named columns after it to be found.
int field_column(const sheet_table *table, int start, std::string_view name)
{
    if (!has_cells(table) || start < 0 || start >= table->row_count || !table->rows[start])
        return -1;
    char **names = table->rows[start];
    for (int c = 0; c < table->column_count; ++c)
        if (!cell_empty(names[c]) && name == names[c])
            return c;
    return -1;
}

} // namespace cvstv::sheet

using namespace cvstv::sheet;

extern "C" {

CVSTV_API int sheet_str_is_keyword(const char *text) noexcept
{
    return cvstv::guarded("sheet_str_is_keyword", SHEET_KW_NONE, [&]() -> int { return keyword_code(text); });
}

CVSTV_API int sheet_ask_keyword_value(sheet_table *table, int keyword, char *value) noexcept
{
    return cvstv::guarded("sheet_ask_keyword_value", -1, [&]() -> int {
        int row = keyword_row(table, keyword);
        const char *cell = cell_at(table, row, 1);
        if (row < 0 || cell_empty(cell) || !value)
            return -1;
        cvstv::copy_bounded(value, SHEET_VALUE_SIZE, cell);
        return 0;
    });
}

CVSTV_API int sheet_ask_keyword_line(sheet_table *table, int keyword, char ***list) noexcept
{
    return cvstv::guarded("sheet_ask_keyword_line", -1, [&]() -> int {
        int row = keyword_row(table, keyword);
        if (row < 0 || cell_empty(cell_at(table, row, 1)) || !list)
            return -1;
        std::vector<std::string_view> cells;
        for (int c = 1; c < table->column_count; ++c) {
            const char *cell = cell_at(table, row, c);
            if (cell_empty(cell))
                break;
            cells.emplace_back(cell);
        }
        char **out = nullptr;
        if (cvstv::append_str_list(&out, cells) < 0)
            return -1;
        *list = out;
        return 0;
    });
}

// A block row "name=value" splits at '=' into its first two tokens; a row
// without a value gives "Empty". A first cell made only of '=' names
// nothing and is passed over, so the two lists stay paired.
CVSTV_API int sheet_ask_keyword_list(sheet_table *table, int keyword, char ***names, char ***values) noexcept
{
    return cvstv::guarded("sheet_ask_keyword_list", -1, [&]() -> int {
        int row = keyword_row(table, keyword);
        if (row < 0 || !names || !values)
            return 0;
        std::vector<std::string> name_items;
        std::vector<std::string> value_items;
        for (int r = row + 1; r < table->row_count; ++r) {
            const char *first = cell_at(table, r, 0);
            if (cell_empty(first))
                continue;
            if (keyword_code(first) > 0)
                break;
            std::string_view text(first);
            text = text.substr(0, SHEET_KEYWORD_CELL_SIZE - 1);
            std::vector<std::string_view> parts = cvstv::tokenize(text, "=");
            if (parts.empty())
                continue;
            name_items.emplace_back(parts[0]);
            value_items.emplace_back(parts.size() > 1 ? parts[1] : std::string_view("Empty"));
        }
        if (name_items.empty())
            return 0;
        char **name_list = nullptr;
        char **value_list = nullptr;
        if (cvstv::append_str_list(&name_list, name_items) < 0)
            return -1;
        if (cvstv::append_str_list(&value_list, value_items) < 0) {
            sheet_free_mem(name_list);
            return -1;
        }
        *names = name_list;
        *values = value_list;
        return static_cast<int>(name_items.size());
    });
}

CVSTV_API int sheet_ask_bitmap(sheet_table *table, char *file) noexcept
{
    return cvstv::guarded("sheet_ask_bitmap", -1, [&]() -> int {
        if (!has_cells(table) || !file)
            return -1;
        const char *found = nullptr;
        for (int r = 0; r < table->row_count; ++r)
            for (int c = 0; c + 1 < table->column_count; ++c) {
                const char *cell = cell_at(table, r, c);
                const char *right = cell_at(table, r, c + 1);
                if (cell && std::strcmp(cell, "BITMAP") == 0 && !cell_empty(right))
                    found = right;
            }
        if (!found)
            return -1;
        cvstv::copy_bounded(file, SHEET_BITMAP_SIZE, found);
        return 0;
    });
}

CVSTV_API int sheet_ask_field_start_no(sheet_table *table) noexcept
{
    return cvstv::guarded("sheet_ask_field_start_no", -1, [&]() -> int { return field_start_row(table); });
}

CVSTV_API int sheet_field_name_list(sheet_table *table, char ***row) noexcept
{
    return cvstv::guarded("sheet_field_name_list", 0, [&]() -> int {
        if (row)
            *row = nullptr;
        int start = field_start_row(table);
        if (!has_cells(table) || start >= table->row_count)
            return 0;
        if (row)
            *row = table->rows[start];
        return count_names(table->rows[start], table->column_count);
    });
}

CVSTV_API int sheet_ask_field_name_list(sheet_table *table, char ***list) noexcept
{
    return cvstv::guarded("sheet_ask_field_name_list", -1, [&]() -> int {
        if (!has_cells(table))
            return 0;
        int start = field_start_row(table);
        if (start >= table->row_count)
            return -1;
        std::vector<std::string_view> names;
        for (int c = 0; c < table->column_count; ++c)
            if (const char *cell = cell_at(table, start, c); !cell_empty(cell))
                names.emplace_back(cell);
        if (names.empty() || !list)
            return static_cast<int>(names.size());
        char **out = nullptr;
        if (cvstv::append_str_list(&out, names) < 0)
            return -1;
        *list = out;
        return static_cast<int>(names.size());
    });
}

CVSTV_API int sheet_ask_field_value(sheet_table *table, const char *field, char *value) noexcept
{
    return cvstv::guarded("sheet_ask_field_value", -1, [&]() -> int {
        if (!has_cells(table) || !field || !value || table->found_row < 0 ||
            table->found_row >= table->row_count)
            return -1;
        int column = field_column(table, field_start_row(table), field);
        if (column < 0)
            return -1;
        const char *cell = cell_at(table, table->found_row, column);
        cvstv::copy_bounded(value, SHEET_VALUE_SIZE, cell_empty(cell) ? "Hide" : cell);
        return 0;
    });
}

} // extern "C"

// Fuzz harness: condition splitting and record search over a small table.
//
// Input: the first line is a compound condition; each further line is a row
// of tab-separated cells (an empty line an absent row), at most 12 rows of 8
// cells. The table is normalised as a reader would, then searched with the
// condition, each single condition is split and tested on every row, and
// the fields named by the conditions are read from the found record. A
// first byte of 0x01 also makes the host allocator fail after a number of
// allocations taken from the second byte, to reach the failure paths.
// Every host block must be given back at the end.
#include "cvstvshare/sheet.h"
#include "sheet/sheet_internal.h"

#include "hx_memory.h"
#include "vexahost/session.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::size_t max_rows = 12;
constexpr std::size_t max_columns = 8;

std::vector<std::string_view> split_at(std::string_view text, char delimiter)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t at = text.find(delimiter, start);
        parts.push_back(
            text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
        if (at == std::string_view::npos)
            return parts;
        start = at + 1;
    }
}

// Builds the raw grid; false when the allocator refused (the table holds
// what was built so far and is released by the caller).
bool build_grid(const std::vector<std::string_view> &lines, sheet_table &table)
{
    std::size_t rows = lines.size() < max_rows ? lines.size() : max_rows;
    table.found_row = -1;
    table.column_count = static_cast<int>(max_columns);
    if (rows == 0)
        return true;
    table.rows = static_cast<char ***>(HX_zero_allocate_memory(rows * sizeof(char **), nullptr));
    if (!table.rows)
        return false;
    table.row_count = static_cast<int>(rows);
    for (std::size_t r = 0; r < rows; ++r) {
        if (lines[r].empty())
            continue;
        auto **row = static_cast<char **>(HX_zero_allocate_memory(max_columns * sizeof(char *), nullptr));
        if (!row)
            return false;
        table.rows[r] = row;
        std::vector<std::string_view> cells = split_at(lines[r], '\t');
        for (std::size_t c = 0; c < cells.size() && c < max_columns; ++c) {
            if (cells[c].empty())
                continue;
            std::string cell(cells[c]);
            row[c] = HX_strdup(cell.c_str());
            if (!row[c])
                return false;
        }
    }
    return true;
}

void exercise(sheet_table &table, const std::string &condition)
{
    char parts[SHEET_MAX_CONDITIONS][SHEET_CONDITION_SIZE];
    int n = sheet_split_condition(condition.c_str(), parts);
    if (n < 0 || n > SHEET_MAX_CONDITIONS)
        std::abort();
    for (int i = 0; i < n; ++i) {
        if (std::strlen(parts[i]) >= SHEET_CONDITION_SIZE)
            std::abort();
        char name[SHEET_SINGLE_CONDITION_SIZE] = "";
        char value[SHEET_SINGLE_CONDITION_SIZE] = "";
        int op = sheet_cond_split(parts[i], name, value);
        (void)sheet_field_type(value);
        (void)sheet_str_double(value);
        for (int r = 0; r < table.row_count; ++r)
            (void)sheet_record_compare(&table, r, parts[i]);
        if (op >= 0 && table.row_count > 1 && table.rows[1])
            (void)sheet_field_compare(table.rows[1][0], op, value);
    }
    // The whole text as one condition too, beyond the single-condition limit.
    char name[SHEET_SINGLE_CONDITION_SIZE] = "";
    char value[SHEET_SINGLE_CONDITION_SIZE] = "";
    (void)sheet_cond_split(condition.c_str(), name, value);

    char **list = nullptr;
    int count = 0;
    int matches = sheet_search_record(&table, condition.c_str(), &list, &count);
    if (matches >= 0 && (count < 0 || count > matches || (count > 0) != (list != nullptr)))
        std::abort();
    if (matches > 0 && (table.found_row < 0 || table.found_row >= table.row_count))
        std::abort();
    for (int i = 0; i < count; ++i)
        if (!list[i] || !*list[i])
            std::abort();
    sheet_free_mem(list);

    char field[SHEET_VALUE_SIZE];
    for (int i = 0; i < n; ++i) {
        name[0] = '\0';
        if (sheet_cond_split(parts[i], name, value) >= 0)
            (void)sheet_ask_field_value(&table, name, field);
    }

    char **names = nullptr;
    char **values = nullptr;
    if (sheet_ask_keyword_list(&table, SHEET_KW_EXPRESSIONS, &names, &values) > 0) {
        sheet_free_mem(names);
        sheet_free_mem(values);
    }
    char **fields = nullptr;
    if (sheet_ask_field_name_list(&table, &fields) > 0)
        sheet_free_mem(fields);
    char bitmap[SHEET_BITMAP_SIZE];
    (void)sheet_ask_bitmap(&table, bitmap);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::size_t blocks = vexa::sim::live_blocks();
    long fail_after = -1;
    if (size >= 2 && data[0] == 0x01) {
        fail_after = data[1];
        data += 2;
        size -= 2;
    }
    std::string input(reinterpret_cast<const char *>(data), size);
    // Cells and conditions are C strings: a NUL ends the input.
    input.resize(std::strlen(input.c_str()));
    std::vector<std::string_view> lines = split_at(input, '\n');
    std::string condition(lines.front());
    lines.erase(lines.begin());

    sheet_table table{};
    vexa::sim::fail_allocations_after(fail_after);
    bool built = build_grid(lines, table);
    if (built && sheet_normalize(&table) == 0)
        exercise(table, condition);
    vexa::sim::fail_allocations_after(-1);
    sheet_release_memo(&table);

    if (vexa::sim::live_blocks() != blocks) {
        std::fprintf(stderr, "host memory leaked: %zu blocks\n", vexa::sim::live_blocks() - blocks);
        std::abort();
    }
    return 0;
}

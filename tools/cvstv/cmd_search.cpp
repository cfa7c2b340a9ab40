// cvstv search: search a sheet held in a tab-separated text file with a
// condition, the way the applications search a catalogue workbook.
//
// The file is read as a raw grid (one row per line, cells at tabs, an empty
// line an absent row), normalised as every reader does, and searched with
// sheet_search_record. The matching values are printed one per line, then
// the counts; --field prints fields of the first matching record.
#include "commands.h"
#include "options.h"

#include "cvstvshare/sheet.h"
#include "sheet/sheet_internal.h"
#include "util/text_buffer.h"

#include "hx_memory.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace cvstv_cli {

const char *const search_usage =
    "usage: cvstv search [--field NAME]... FILE CONDITION\n"
    "\n"
    "Reads a sheet from a tab-separated text file (one row per line), normalises\n"
    "it (comments after ## or //, values filled down through the record block,\n"
    "empty rows dropped) and searches its records with a condition such as\n"
    "\"D==8 && MAT==steel\" or \"FIND>=KT_ALL_RECORD\".\n"
    "\n"
    "Prints the matching records' values (consecutive repeats dropped), one per\n"
    "line, then \"matches: N values: M\".\n"
    "\n"
    "  --field NAME   also print NAME=value of the first matching record\n"
    "                 (repeatable; fails when no record matched or no column has\n"
    "                 that name)\n"
    "\n"
    "Example: cvstv search tests/resources/sheet/screws.tsv \"D==8 && MAT==steel\"\n";

namespace {

// Owns a table for the command's duration.
struct TableHolder {
    sheet_table table{};
    ~TableHolder() { sheet_release_memo(&table); }
};

std::vector<std::string> split_tabs(const std::string &line)
{
    std::vector<std::string> cells;
    std::size_t start = 0;
    for (;;) {
        std::size_t tab = line.find('\t', start);
        cells.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos)
            return cells;
        start = tab + 1;
    }
}

// Builds the raw grid in the table from the host allocator; false when the
// file cannot be read or memory runs out (the table may be partly filled;
// its owner releases it).
bool read_grid(const std::string &path, sheet_table &table, std::string &error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open '" + path + "'";
        return false;
    }
    std::vector<std::vector<std::string>> lines;
    std::size_t width = 0;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line.empty() ? std::vector<std::string>{} : split_tabs(line));
        width = std::max(width, lines.back().size());
    }
    if (lines.empty() || width == 0) {
        error = "'" + path + "' holds no data";
        return false;
    }
    if (lines.size() > 0x7fffffff || width > 0x7fffffff) {
        error = "'" + path + "' is too large";
        return false;
    }
    cvstv::copy_bounded(table.file_name, SHEET_FILE_NAME_SIZE, path);
    table.found_row = -1;
    table.rows = static_cast<char ***>(HX_zero_allocate_memory(lines.size() * sizeof(char **), nullptr));
    if (!table.rows) {
        error = "out of memory";
        return false;
    }
    table.row_count = static_cast<int>(lines.size());
    table.column_count = static_cast<int>(width);
    for (std::size_t r = 0; r < lines.size(); ++r) {
        if (lines[r].empty())
            continue;
        auto **row = static_cast<char **>(HX_zero_allocate_memory(width * sizeof(char *), nullptr));
        if (!row) {
            error = "out of memory";
            return false;
        }
        table.rows[r] = row;
        for (std::size_t c = 0; c < lines[r].size(); ++c) {
            if (lines[r][c].empty())
                continue;
            row[c] = HX_strdup(lines[r][c].c_str());
            if (!row[c]) {
                error = "out of memory";
                return false;
            }
        }
    }
    return true;
}

} // namespace

int run_search(const std::vector<std::string> &args)
{
    ParsedArgs parsed = parse_args(args, {{"field", true}});
    if (!parsed.error.empty())
        return fail("search", parsed.error);
    if (parsed.positional.size() != 2)
        return fail("search", "expected a file and a condition (see cvstv search --help)");
    const std::string &path = parsed.positional[0];
    const std::string &condition = parsed.positional[1];

    TableHolder holder;
    std::string error;
    if (!read_grid(path, holder.table, error))
        return fail("search", error);
    int status = sheet_normalize(&holder.table);
    if (status == -2)
        return fail("search", "'" + path + "' holds no data");
    if (status != 0)
        return fail("search", "out of memory while reading '" + path + "'");

    char **values = nullptr;
    int count = 0;
    int matches = sheet_search_record(&holder.table, condition.c_str(), &values, &count);
    if (matches < 0)
        return fail("search", "out of memory while searching");
    for (int i = 0; i < count; ++i)
        std::printf("%s\n", values[i]);
    sheet_free_mem(values);
    std::printf("matches: %d values: %d\n", matches, count);

    int result = 0;
    for (const std::string &field : parsed.values("field")) {
        char value[SHEET_VALUE_SIZE] = "";
        if (sheet_ask_field_value(&holder.table, field.c_str(), value) != 0) {
            result = fail("search", matches == 0 ? "no record matched, no field '" + field + "' to print"
                                                 : "no field named '" + field + "'");
            continue;
        }
        std::printf("%s=%s\n", field.c_str(), value);
    }
    return result;
}

} // namespace cvstv_cli

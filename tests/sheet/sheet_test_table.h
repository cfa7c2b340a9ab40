// Test helper: a sheet_table built from rows of cells the way a reader
// builds one (every cell, row and the row array from the host allocator),
// released when the helper goes out of scope.
#ifndef CVSTV_TESTS_SHEET_TEST_TABLE_H
#define CVSTV_TESTS_SHEET_TEST_TABLE_H

#include "cvstvshare/sheet.h"
#include "hx_memory.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

// A row of cells; nullptr is an empty cell. An empty row stands for a null
// (absent) row of the raw grid.
using SheetRow = std::vector<const char *>;
using SheetGrid = std::vector<SheetRow>;

class TestTable {
  public:
    explicit TestTable(const SheetGrid &grid)
    {
        std::size_t width = 0;
        for (const SheetRow &row : grid)
            width = std::max(width, row.size());
        table_.row_count = static_cast<int>(grid.size());
        table_.column_count = static_cast<int>(width);
        table_.found_row = -1;
        std::strcpy(table_.file_name, "C:\\kit\\data.xls::Sheet1");
        if (grid.empty())
            return;
        table_.rows = static_cast<char ***>(HX_zero_allocate_memory(grid.size() * sizeof(char **), nullptr));
        for (std::size_t r = 0; r < grid.size(); ++r) {
            if (grid[r].empty())
                continue;
            auto cols = static_cast<std::size_t>(table_.column_count);
            auto **row = static_cast<char **>(HX_zero_allocate_memory(cols * sizeof(char *), nullptr));
            for (std::size_t c = 0; c < grid[r].size() && c < cols; ++c)
                row[c] = grid[r][c] ? HX_strdup(grid[r][c]) : nullptr;
            table_.rows[r] = row;
        }
    }
    ~TestTable() { sheet_release_memo(&table_); }
    TestTable(const TestTable &) = delete;
    TestTable &operator=(const TestTable &) = delete;

    sheet_table *operator->() { return &table_; }
    sheet_table *get() { return &table_; }

    // The cells of row r, an empty cell as "(null)".
    std::vector<std::string> row(int r) const
    {
        std::vector<std::string> cells;
        for (int c = 0; c < table_.column_count; ++c) {
            const char *cell = table_.rows[r][c];
            cells.emplace_back(cell ? cell : "(null)");
        }
        return cells;
    }

  private:
    sheet_table table_{};
};

// A string list handed out by the library, freed when it goes out of scope.
class TestList {
  public:
    TestList() = default;
    ~TestList() { sheet_free_mem(list_); }
    TestList(const TestList &) = delete;
    TestList &operator=(const TestList &) = delete;

    char ***out() { return &list_; }
    char **get() const { return list_; }
    std::vector<std::string> items() const
    {
        std::vector<std::string> v;
        for (char **p = list_; p && *p; ++p)
            v.emplace_back(*p);
        return v;
    }

  private:
    char **list_ = nullptr;
};

#endif

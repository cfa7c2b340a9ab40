// Helpers of the XESS reader and spreadsheet loading tests: a scratch
// directory removed at the end of the test, files written into it, and a
// table's cells as texts.
#ifndef CVSTV_TESTS_SHEET_XESS_TEST_SUPPORT_H
#define CVSTV_TESTS_SHEET_XESS_TEST_SUPPORT_H

#include "cvstvshare/sheet.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

class XessScratch {
  public:
    XessScratch()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "xess_test_XXXXXX").string();
        dir_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~XessScratch()
    {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    XessScratch(const XessScratch &) = delete;
    XessScratch &operator=(const XessScratch &) = delete;

    // Writes text to a file of the directory; returns its local path.
    std::string write(const std::string &name, const std::string &text) const
    {
        std::string path = dir_ + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    std::string path(const std::string &name) const { return dir_ + "/" + name; }
    // The host form of a local path ('\' separators).
    std::string host(const std::string &name) const
    {
        std::string p = path(name);
        for (char &c : p)
            if (c == '/')
                c = '\\';
        return p;
    }
    const std::string &dir() const { return dir_; }

  private:
    std::string dir_;
};

// The table's cells, an empty cell as "" and a null row as an empty vector.
inline std::vector<std::vector<std::string>> table_cells(const sheet_table &t)
{
    std::vector<std::vector<std::string>> cells;
    for (int r = 0; r < t.row_count; ++r) {
        std::vector<std::string> row;
        if (t.rows[r])
            for (int c = 0; c < t.column_count; ++c)
                row.emplace_back(t.rows[r][c] ? t.rows[r][c] : "");
        cells.push_back(std::move(row));
    }
    return cells;
}

#endif

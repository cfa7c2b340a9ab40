// What the boundary suites share: the example kit's material workbook, a
// scratch copy of it, a file's bytes and a table released on every way out.
#ifndef CVSTV_TESTS_BOUNDARY_SUPPORT_H
#define CVSTV_TESTS_BOUNDARY_SUPPORT_H

#include "cvstvshare/sheet.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace boundary_test {

namespace fs = std::filesystem;

inline const std::string kit = CVSTV_BINARY_DIR "/examples/kit/cavora";
inline const std::string material_xls = kit + "/cv_material.xls";
inline const std::string material_xs4 = kit + "/cv_material.xs4";

inline std::string bytes_of(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A fresh directory holding a copy of the material workbook, removed with
// everything in it.
struct ScratchCopy {
    fs::path dir;
    std::string path;
    ScratchCopy()
    {
        std::string pattern = (fs::temp_directory_path() / "cvstv_boundary_XXXXXX").string();
        dir = ::mkdtemp(pattern.data()) ? fs::path(pattern) : fs::path();
        path = (dir / "cv_material.xls").string();
        fs::copy_file(material_xls, path);
    }
    ~ScratchCopy()
    {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
    ScratchCopy(const ScratchCopy &) = delete;
    ScratchCopy &operator=(const ScratchCopy &) = delete;
};

// Releases a table on every way out of a test.
struct TableHolder {
    sheet_table table{};
    ~TableHolder() { sheet_release_memo(&table); }
};

} // namespace boundary_test

#endif

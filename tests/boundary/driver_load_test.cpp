// A library that cannot be loaded: the workbook driver, as the driver
// manager loads it for the shipped library. In a program of its own, since
// the driver manager keeps what it read of the driver registration for the
// life of the process.
#include "host_test.h"

#include "cvstvshare/cvstvshare.h"

#include "hx_memory.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;

const std::string material_xls = CVSTV_BINARY_DIR "/examples/kit/cavora/cv_material.xls";

std::string bytes_of(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A fresh directory with a copy of the material workbook, removed with it.
struct ScratchCopy {
    fs::path dir;
    std::string path;
    ScratchCopy()
    {
        std::string pattern = (fs::temp_directory_path() / "cvstv_load_XXXXXX").string();
        dir = ::mkdtemp(pattern.data()) ? fs::path(pattern) : fs::path();
        path = (dir / "cv_material.xls").string();
        fs::copy_file(material_xls, path);
    }
    ~ScratchCopy()
    {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
};

class HostFaults : public HostTest {};

} // namespace

TEST_F(HostFaults, DriverLibraryThatCannotBeLoadedFailsTheRead)
{
    // A registration naming a file that is no shared library: the driver
    // manager cannot load it.
    ScratchCopy copy;
    fs::path not_a_library = copy.dir / "libnot_a_driver.so";
    std::ofstream(not_a_library) << "not an ELF file\n";
    std::ofstream(copy.dir / "odbcinst.ini") << "[MICROSOFT EXCEL DRIVER (*.XLS)]\nDriver=" << not_a_library.string()
                                               << "\n";
    std::ofstream(copy.dir / "odbc.ini").flush();
    setenv("ODBCSYSINI", copy.dir.c_str(), 1);
    std::size_t blocks = vexa::sim::live_blocks();

    sheet_table table{};
    EXPECT_EQ(GXDB_read_spreadsheet(copy.path.c_str(), &table), -1);
    EXPECT_EQ(table.rows, nullptr);
    EXPECT_EQ(GXDB_Connect(copy.path.c_str()), -1);
    char *error = nullptr;
    GXDB_Errors(&error);
    ASSERT_NE(error, nullptr);
    EXPECT_NE(std::string(error).find("SQLSTATE=01000"), std::string::npos) << error;
    HX_free(error);
    GXDB_Disconnect();
    EXPECT_EQ(vexa::sim::live_blocks(), blocks);
    EXPECT_EQ(bytes_of(copy.path), bytes_of(material_xls)) << "the workbook is untouched";
}

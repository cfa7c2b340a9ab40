// A library that cannot be loaded: the workbook driver, as the driver
// manager loads it for the shipped library. In a program of its own, since
// the driver manager keeps what it read of the driver registration for the
// life of the process.
#include "boundary_support.h"
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
using namespace boundary_test;

class HostFaults : public HostTest {};

} // namespace

TEST_F(HostFaults, DriverLibraryThatCannotBeLoadedFailsTheRead)
{
    // A registration naming a file that is no shared library: the driver
    // manager cannot load it.
    ScratchCopy copy;
    fs::path not_a_library = copy.dir / "libnot_a_driver.so";
    std::ofstream(not_a_library) << "not an ELF file\n";
    std::ofstream(copy.dir / "odbcinst.ini")
        << "[MICROSOFT EXCEL DRIVER (*.XLS)]\nDriver=" << not_a_library.string() << "\n";
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

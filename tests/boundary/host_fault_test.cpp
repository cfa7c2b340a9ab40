// Faults of the host and the system under the shipped library: a file write
// that fails, a spreadsheet port that cannot be created, a host allocator
// that runs out (a library that cannot be loaded: driver_load_test.cpp).
// Each call answers with a status, leaves no host block live and leaves the
// data it worked on as it was.
#include "boundary_support.h"
#include "host_test.h"

#include "cvstvshare/cvstvshare.h"

#include "hx_memory.h"

#include <sys/resource.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;
using namespace boundary_test;

// While it lives, no file of this process may grow beyond a few hundred
// bytes: every workbook write fails with EFBIG, as on a full disk (root
// included, whom permissions would not stop).
class FileWritesFail {
  public:
    FileWritesFail()
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit small = saved_;
        small.rlim_cur = 512;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileWritesFail() { setrlimit(RLIMIT_FSIZE, &saved_); }
    FileWritesFail(const FileWritesFail &) = delete;
    FileWritesFail &operator=(const FileWritesFail &) = delete;

  private:
    rlimit saved_{};
};

sGXDB_Field field(const char *name, const char *type, int size = 0)
{
    sGXDB_Field f{};
    std::snprintf(f.name, sizeof f.name, "%s", name);
    std::snprintf(f.type, sizeof f.type, "%s", type);
    f.size = size;
    f.has_size = size > 0;
    return f;
}

class HostFaults : public HostTest {
  protected:
    void SetUp() override
    {
        HostTest::SetUp();
        setenv("ODBCSYSINI", CVSTV_ODBCSYSINI_DIR, 1);
    }
    void TearDown() override
    {
        GXDB_Disconnect();
        CVSTVSHARE_set_xls_port(0);
        vexa::sim::reset();
        HostTest::TearDown();
    }
};

} // namespace

TEST_F(HostFaults, FailedWorkbookWriteThroughTheDriverKeepsTheFile)
{
    ScratchCopy copy;
    ASSERT_EQ(GXDB_Connect(copy.path.c_str()), 0);
    sGXDB_Field fields[] = {field("NAME", "text", 20), field("SCALE", "number")};
    char table[16] = "Grades";
    ASSERT_EQ(GXDB_Create_Table(table, 2, fields), 0);
    sGXDB_Field_Value values[2] = {};
    values[0].type = GXDB_VALUE_TEXT;
    std::snprintf(values[0].value.s, sizeof values[0].value.s, "PEEK");
    values[1].type = GXDB_VALUE_REAL;
    values[1].value.d = 1.012;
    std::string before = bytes_of(copy.path);
    std::size_t blocks = vexa::sim::live_blocks();
    {
        FileWritesFail full_disk;
        EXPECT_EQ(GXDB_Add_Record("Grades", 2, fields, values), -1);
    }
    EXPECT_EQ(vexa::sim::live_blocks(), blocks);
    EXPECT_EQ(bytes_of(copy.path), before) << "the workbook is written whole or not at all";
    EXPECT_EQ(fs::directory_iterator(copy.dir)->path().filename(), "cv_material.xls")
        << "no temporary file left";
    char *error = nullptr;
    EXPECT_EQ(GXDB_Errors(&error), -1);
    ASSERT_NE(error, nullptr) << "the driver's diagnostic is there to read";
    HX_free(error);

    EXPECT_EQ(GXDB_Add_Record("Grades", 2, fields, values), 0) << "the connection works once writes do";
    EXPECT_EQ(GXDB_Disconnect(), 0);
    sheet_table grades{};
    ASSERT_EQ(GXDB_read_spreadsheet((copy.path + "::Grades").c_str(), &grades), 0);
    EXPECT_EQ(grades.row_count, 2) << "the names row and the one record written";
    sheet_release_memo(&grades);
}

TEST_F(HostFaults, FailedSaveThroughThePortReturnsTheHostStatusAndKeepsTheFile)
{
    ScratchCopy copy;
    vexa::sim::set_default_spreadsheet_excel(true);
    CVSTVSHARE_set_xls_port(vexa::sim::create_port());
    ASSERT_EQ(GXDB_Connect_RW_Mode(copy.path.c_str(), 1), 0);
    sGXDB_Field fields[] = {field("NAME", "text", 20)};
    char table[16] = "Grades";
    ASSERT_EQ(GXDB_Create_Table(table, 1, fields), 0);
    std::string before = bytes_of(copy.path);
    std::size_t blocks = vexa::sim::live_blocks();
    int status = 0;
    {
        FileWritesFail full_disk;
        status = GXDB_Disconnect_RW_Mode(copy.path.c_str(), 1);
    }
    EXPECT_EQ(status, HX_ERR_IO) << "the host's status passes through";
    EXPECT_EQ(vexa::sim::live_blocks(), blocks);
    EXPECT_EQ(bytes_of(copy.path), before);
}

TEST_F(HostFaults, PortThatCannotBeCreatedLeavesTheTablesAlone)
{
    sheet_table earlier{};
    ASSERT_EQ(CVSTVSHARE_read_spreadsheet(1, material_xs4.c_str(), &earlier), 0);
    int rows = earlier.row_count;
    std::size_t blocks = vexa::sim::live_blocks();

    vexa::sim::set_default_spreadsheet_excel(true);
    vexa::sim::fail_call("HX_SS_create_port", 4711);
    sheet_table table{};
    EXPECT_EQ(CVSTVSHARE_read_spreadsheet(1, material_xls.c_str(), &table), 4711);
    EXPECT_EQ(table.rows, nullptr);
    EXPECT_EQ(CVSTVSHARE_get_xls_port(), 0) << "no port is remembered";
    EXPECT_EQ(vexa::sim::live_blocks(), blocks);
    EXPECT_EQ(earlier.row_count, rows);

    vexa::sim::clear_call_failure("HX_SS_create_port");
    EXPECT_EQ(CVSTVSHARE_read_spreadsheet(1, material_xls.c_str(), &table), 0)
        << "the next attempt starts a port";
    EXPECT_EQ(table.row_count, rows) << "the same sheet by either method";
    sheet_release_memo(&table);
    sheet_release_memo(&earlier);
}

TEST_F(HostFaults, HostAllocatorRunningOutFailsQueriesWithNothingHandedOut)
{
    ASSERT_EQ(GXDB_Connect(material_xls.c_str()), 0);
    int failures = 0;
    for (long successes = 0;; ++successes) {
        std::size_t blocks = vexa::sim::live_blocks();
        char **records = nullptr;
        int rows = 0, columns = 0;
        vexa::sim::fail_allocations_after(successes);
        int status = GXDB_Query_All_Records_In_Table("Materials$", &rows, &columns, &records);
        vexa::sim::fail_allocations_after(-1);
        if (status == 0) {
            EXPECT_GT(rows, 20);
            GXDB_Free_Record_List(&records);
            break;
        }
        ++failures;
        EXPECT_EQ(records, nullptr);
        EXPECT_EQ(vexa::sim::live_blocks(), blocks) << "after " << successes << " allocations";
        ASSERT_LT(successes, 1000);
    }
    EXPECT_GT(failures, 0);
}

// No exception crosses the C boundary. This program replaces the global
// operator new with one that throws std::bad_alloc once N allocations have
// succeeded, arms it around one call of an exported function of the shipped
// library at a time, and repeats the call for N = 0, 1, 2, ... until it
// succeeds. No N may end the process (an exception escaping a noexcept
// function would), report success with a wrong result, or leave a host
// memory block live; a failed call leaves its outputs as its documented
// failure does, and the data it worked on as it was.
#include "boundary_support.h"
#include "host_test.h"

#include "cvstvshare/cvstvshare.h"

#include "hx_memory.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <new>
#include <string>
#include <vector>

namespace {

// Allocations still allowed before operator new throws; negative: no limit.
long allocations_left = -1;

void *allocate(std::size_t size)
{
    if (allocations_left == 0)
        throw std::bad_alloc();
    if (allocations_left > 0)
        --allocations_left;
    if (void *p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

} // namespace

// Every form that allocates goes through allocate(), and every form that
// frees through free(), so the pairs match whichever form a caller uses.
void *operator new(std::size_t size)
{
    return allocate(size);
}
void *operator new[](std::size_t size)
{
    return allocate(size);
}
void *operator new(std::size_t size, const std::nothrow_t &) noexcept
{
    try {
        return allocate(size);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}
void *operator new[](std::size_t size, const std::nothrow_t &tag) noexcept
{
    return operator new(size, tag);
}
void operator delete(void *p, const std::nothrow_t &) noexcept
{
    std::free(p);
}
void operator delete[](void *p, const std::nothrow_t &) noexcept
{
    std::free(p);
}
void operator delete(void *p) noexcept
{
    std::free(p);
}
void operator delete[](void *p) noexcept
{
    std::free(p);
}
void operator delete(void *p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete[](void *p, std::size_t) noexcept
{
    std::free(p);
}

namespace {

namespace fs = std::filesystem;
using namespace boundary_test;

constexpr long attempt_limit = 200000;

// One exported call, driven by the armed allocator.
struct Scenario {
    const char *what;                 // the call, for messages
    std::function<void()> prepare;    // unarmed, before every attempt
    std::function<int()> call;        // armed
    int success = 0;                  // the call's status when it worked
    std::function<void(int)> release; // unarmed, after every attempt: checks and frees what
                                      // prepare and the call handed out
};

class AllocBoundary : public HostTest {
  protected:
    void SetUp() override
    {
        HostTest::SetUp();
        setenv("ODBCSYSINI", CVSTV_ODBCSYSINI_DIR, 1);
    }
    void TearDown() override
    {
        allocations_left = -1;
        GXDB_Disconnect();
        CVSTVSHARE_set_xls_port(0);
        HostTest::TearDown();
    }

    // Runs the scenario for N = 0, 1, ... until the call succeeds; the number
    // of attempts that failed for want of memory.
    static long drive(const Scenario &s)
    {
        SCOPED_TRACE(s.what);
        for (long n = 0; n < attempt_limit; ++n) {
            std::size_t blocks = vexa::sim::live_blocks();
            if (s.prepare)
                s.prepare();
            allocations_left = n;
            int status = s.call();
            allocations_left = -1;
            s.release(status);
            EXPECT_EQ(vexa::sim::live_blocks(), blocks)
                << "host blocks left live when allocation " << n << " failed (status " << status << ")";
            if (status == s.success) {
                std::printf("%s: %ld allocation failures answered\n", s.what, n);
                return n;
            }
            if (testing::Test::HasFailure())
                return n;
        }
        ADD_FAILURE() << "no success within " << attempt_limit << " attempts";
        return attempt_limit;
    }
};

// A table holding the materials sheet, read once (unarmed) by XESS.
struct MaterialTable {
    sheet_table table{};
    MaterialTable()
    {
        vexa::sim::set_default_spreadsheet_excel(false);
        EXPECT_EQ(CVSTVSHARE_read_spreadsheet(1, material_xs4.c_str(), &table), 0);
    }
    ~MaterialTable() { sheet_release_memo(&table); }
};

void expect_empty(const sheet_table &t)
{
    EXPECT_EQ(t.rows, nullptr);
    EXPECT_EQ(t.row_count, 0);
}

} // namespace

TEST_F(AllocBoundary, SearchFindsOrFailsCleanly)
{
    MaterialTable m;
    char **values = nullptr;
    int count = -1;
    long failures = drive(
        {"sheet_search_record", nullptr,
         [&] { return sheet_search_record(&m.table, "SCALE>=1.01 && MATERIAL==PA66", &values, &count); }, 1,
         [&](int status) {
             if (status < 0) {
                 EXPECT_EQ(values, nullptr);
                 EXPECT_EQ(count, 0);
             } else {
                 EXPECT_EQ(status, 1);
             }
             kt_free_str_list(&values);
         }});
    EXPECT_GT(failures, 0) << "the search allocates, so some attempts fail";
    char scale[SHEET_VALUE_SIZE] = "";
    EXPECT_EQ(sheet_ask_field_value(&m.table, "SCALE", scale), 0) << "the table searched is intact";
    EXPECT_STREQ(scale, "1.015");
}

TEST_F(AllocBoundary, ReadersByEveryMethodFailWithAnEmptyTable)
{
    sheet_table table{};
    auto release = [&](int status) {
        if (status != 0)
            expect_empty(table);
        else
            EXPECT_GT(table.row_count, 20);
        sheet_release_memo(&table);
    };
    // XESS text export (the path built before arming: the test itself must
    // not allocate while armed).
    const std::string sheet_path = material_xs4 + "::Materials";
    drive({"CVSTVSHARE_read_spreadsheet (XESS)", [] { vexa::sim::set_default_spreadsheet_excel(false); },
           [&] { return CVSTVSHARE_read_spreadsheet(1, sheet_path.c_str(), &table); }, 0, release});
    // The spreadsheet program through a port (the port is created by the
    // call, and dropped before the next attempt).
    drive({"CVSTVSHARE_read_spreadsheet (port)",
           [] {
               vexa::sim::set_default_spreadsheet_excel(true);
               CVSTVSHARE_set_xls_port(0);
           },
           [&] { return CVSTVSHARE_read_spreadsheet(1, material_xls.c_str(), &table); }, 0, release});
    // ODBC through the driver manager and the workbook driver.
    drive({"GXDB_read_spreadsheet", nullptr,
           [&] { return GXDB_read_spreadsheet(material_xls.c_str(), &table); }, 0, release});
}

TEST_F(AllocBoundary, SheetNamesFailWithNoList)
{
    char **names = nullptr;
    int count = -1;
    auto release = [&](int status) {
        if (status != 0)
            EXPECT_EQ(names, nullptr);
        else
            EXPECT_EQ(count, 1);
        kt_free_str_list(&names);
    };
    drive({"sheet_ask_sheetnames (XESS)", [] { vexa::sim::set_default_spreadsheet_excel(false); },
           [&] { return sheet_ask_sheetnames(material_xs4.c_str(), &names, &count); }, 0, release});
    drive({"GXDB_read_sheetnames", nullptr,
           [&] { return GXDB_read_sheetnames(material_xls.c_str(), &names, &count); }, 0, release});
}

TEST_F(AllocBoundary, WorkbookDatabaseQueriesFailCleanlyOnAConnection)
{
    ASSERT_EQ(GXDB_Connect(material_xls.c_str()), 0);
    char **records = nullptr;
    int rows = 0, columns = 0;
    drive({"GXDB_Query_All_Records_In_Table", nullptr,
           [&] { return GXDB_Query_All_Records_In_Table("Materials$", &rows, &columns, &records); }, 0,
           [&](int status) {
               if (status != 0)
                   EXPECT_EQ(records, nullptr);
               else
                   EXPECT_GT(rows, 20);
               GXDB_Free_Record_List(&records);
           }});
    char **tables = nullptr;
    int count = 0;
    drive({"GXDB_Query_Table_Names", nullptr, [&] { return GXDB_Query_Table_Names(&count, &tables); }, 0,
           [&](int status) {
               if (status == 0) {
                   EXPECT_EQ(count, 1);
               }
               GXDB_Free_Record_List(&tables);
           }});
    EXPECT_EQ(GXDB_Disconnect(), 0);
    drive({"GXDB_Connect", [] { GXDB_Disconnect(); }, [&] { return GXDB_Connect(material_xls.c_str()); }, 0,
           [](int) {}});
}

TEST_F(AllocBoundary, WorkbookWriteFailsWithTheWorkbookIntact)
{
    ScratchCopy copy;
    ASSERT_EQ(GXDB_Connect(copy.path.c_str()), 0);
    sGXDB_Field fields[2] = {};
    std::snprintf(fields[0].name, sizeof fields[0].name, "NAME");
    std::snprintf(fields[0].type, sizeof fields[0].type, "text");
    fields[0].size = 20;
    fields[0].has_size = 1;
    std::snprintf(fields[1].name, sizeof fields[1].name, "SCALE");
    std::snprintf(fields[1].type, sizeof fields[1].type, "number");
    char table_name[16] = "Grades";
    ASSERT_EQ(GXDB_Create_Table(table_name, 2, fields), 0);
    sGXDB_Field_Value values[2] = {};
    values[0].type = GXDB_VALUE_TEXT;
    std::snprintf(values[0].value.s, sizeof values[0].value.s, "PEEK");
    values[1].type = GXDB_VALUE_REAL;
    values[1].value.d = 1.012;
    // Every attempt starts from the workbook as it was before it: an attempt
    // may fail after the driver wrote the row, and the driver reads a
    // replaced file again before its next statement.
    const std::string before = bytes_of(copy.path);
    auto restore = [&] {
        std::string staged = copy.path + ".staged";
        std::ofstream(staged, std::ios::binary) << before;
        fs::rename(staged, copy.path);
    };
    long failures = drive({"GXDB_Add_Record", restore,
                           [&] { return GXDB_Add_Record("Grades", 2, fields, values); }, 0, [](int) {}});
    EXPECT_GT(failures, 0);
    EXPECT_EQ(GXDB_Disconnect(), 0);

    // The sheet written before is as it was; the new one holds PEEK once.
    TableHolder materials, original, grades;
    ASSERT_EQ(GXDB_read_spreadsheet((copy.path + "::Materials").c_str(), &materials.table), 0);
    ASSERT_EQ(GXDB_read_spreadsheet((material_xls + "::Materials").c_str(), &original.table), 0);
    ASSERT_EQ(materials.table.row_count, original.table.row_count);
    ASSERT_EQ(materials.table.column_count, original.table.column_count);
    for (int r = 0; r < original.table.row_count; ++r)
        for (int c = 0; c < original.table.column_count; ++c) {
            const char *was = original.table.rows[r][c], *is = materials.table.rows[r][c];
            EXPECT_EQ(std::string(was ? was : ""), std::string(is ? is : ""))
                << "row " << r << " column " << c;
        }
    ASSERT_EQ(GXDB_read_spreadsheet((copy.path + "::Grades").c_str(), &grades.table), 0);
    ASSERT_EQ(grades.table.row_count, 2);
    EXPECT_STREQ(grades.table.rows[1][0], "PEEK");
}

TEST_F(AllocBoundary, StringListsAndKitPathsFailWithNothingHandedOut)
{
    char **list = nullptr;
    drive({"kt_decompose_str", nullptr, [&] { return kt_decompose_str("M8, M10 ,M12;M16", ",;", &list); }, 0,
           [&](int status) {
               if (status != 0)
                   EXPECT_EQ(list, nullptr);
               else
                   EXPECT_EQ(kt_ask_str_list_count(list), 4);
               kt_free_str_list(&list);
           }});

    char **source = nullptr;
    kt_add_str_list(&source, "A");
    kt_add_str_list(&source, "B");
    char **target = nullptr;
    drive({"kt_copy_str_list", [&] { kt_add_str_list(&target, "first"); },
           [&] { return kt_copy_str_list(source, &target); }, 0,
           [&](int status) {
               EXPECT_STREQ(target[0], "first") << "the destination keeps its entries";
               EXPECT_EQ(kt_ask_str_list_count(target), status == 0 ? 3 : 1);
               kt_free_str_list(&target);
           }});
    kt_free_str_list(&source);

    char *first = nullptr, *second = nullptr;
    drive({"STV_split_string", nullptr, [&] { return STV_split_string("M8 x 20", " x", &first, &second); }, 0,
           [&](int status) {
               if (status != 0) {
                   EXPECT_EQ(first, nullptr);
                   EXPECT_EQ(second, nullptr);
               }
               HX_free(first);
               HX_free(second);
           }});

    vexa::sim::set_env("CAVORA_DIR", kit);
    vexa::sim::unset_env("CV_STANDARDPARTPATH");
    char path[257];
    drive({"CVSTVSHARE_ask_mold_data_fspec", [&] { path[0] = '\0'; },
           [&] { return CVSTVSHARE_ask_mold_data_fspec(1, nullptr, "cv_material.xs4", path); }, 0,
           [&](int status) {
               if (status == 0) {
                   EXPECT_EQ(vexa::sim::local_path(path), material_xls);
               }
           }});
}

namespace {

TEST_F(AllocBoundary, WorkbookEditingMakesTheWholeTemplateOrNothing)
{
    ScratchCopy scratch;
    fs::path book = scratch.dir / "edited.xls";
    fs::path probe_out = scratch.dir / "probe.out";
    std::string book_host = vexa::sim::host_path(book.string());
    std::string template_bytes = bytes_of(kit + "/templates/cavora_template.xls");
    ASSERT_FALSE(template_bytes.empty());
    vexa::sim::set_env("CAVORA_DIR", kit);
    vexa::sim::unset_env("CV_STANDARDPARTPATH");
    vexa::sim::set_default_spreadsheet_excel(true);
    vexa::sim::set_registry_value("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Office", "BinDirPath",
                                  "C:\\Office");
    vexa::sim::set_program("excel.exe", {SPAWN_PROBE, probe_out.string()});
    vexa::sim::set_int_preference("CV_ExcelBackground", 0);
    drive({"CVSTVSHARE_sheet_edit",
           [&] {
               fs::remove(book);
               fs::remove(probe_out);
           },
           [&] { return CVSTVSHARE_sheet_edit(1, book_host.c_str()); }, 0,
           [&](int status) {
               if (fs::exists(book)) {
                   EXPECT_TRUE(bytes_of(book) == template_bytes) << "a whole copy of the template";
               }
               if (status == 0) {
                   EXPECT_TRUE(fs::exists(probe_out)) << "the program ran";
               }
               for (const auto &e : fs::directory_iterator(scratch.dir)) {
                   std::string name = e.path().filename().string();
                   EXPECT_TRUE(name == "cv_material.xls" || name == "edited.xls" || name == "probe.out")
                       << name;
               }
           }});
}

} // namespace

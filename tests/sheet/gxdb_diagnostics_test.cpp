// The workbook database where no driver answers: file checks and their
// messages, the driver manager's own errors, the held-workbook copy, the
// record lists and the listing-window helpers. The driver manager is pointed
// at an empty registration directory, so "MICROSOFT EXCEL DRIVER (*.XLS)" is
// unknown to it.
#include "host_test.h"
#include "gxdb_test_support.h"

#include "cvstvshare/sheet_gxdb.h"

#include "hx_memory.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace gxdb_test;
using testing::HasSubstr;
using testing::MatchesRegex;
using testing::Not;
using Strings = std::vector<std::string>;

namespace {

const std::string connect_failure = "Failed to connect to database.\nPlease check if database name exists\n"
                                    "Please check if MICROSOFT EXCEL DRIVER (*.XLS) exists.";

class GxdbWithoutDriver : public HostTest {
  protected:
    void SetUp() override
    {
        HostTest::SetUp();
        fs::create_directories(registration_);
        ::setenv("ODBCSYSINI", registration_.c_str(), 1);
    }

    static Strings boxes() { return vexa::sim::texts(vexa::sim::Entry::message_box); }

    ScratchDir dir_{"gxdb_nodriver"};
    std::string registration_ = (fs::path(testing::TempDir()) / "gxdb_no_driver_registration").string();
};

} // namespace

TEST_F(GxdbWithoutDriver, ConnectingToAnUnreadableWorkbookAnswersMinus100)
{
    std::string missing = dir_.host("none.xls");
    EXPECT_FALSE(vexa::sim::listing_open());
    EXPECT_EQ(GXDB_Connect(missing.c_str()), -100);
    EXPECT_EQ(GXDB_Connect_RW_Mode(missing.c_str(), 1), -100) << "read-write mode is ODBC without a port";
    EXPECT_TRUE(vexa::sim::listing_open()) << "the listing window is opened for the message";
    std::string line = "\nCannot find data source file: " + missing + "\n";
    EXPECT_EQ(vexa::sim::listing_text(), line + line);
    EXPECT_TRUE(boxes().empty());
    EXPECT_EQ(GXDB_Connect(nullptr), -1);
}

TEST_F(GxdbWithoutDriver, AMissingDriverFailsTheConnectAndLeavesTheDriverManagersError)
{
    std::string path = dir_.write("book.xls", {sheet("S", {{T("K")}})});
    EXPECT_EQ(GXDB_Connect(path.c_str()), -1);
    EXPECT_EQ(boxes(), (Strings{"Failed to connect to database.\nPlease check if database name exists\n"
                                "Please check if MICROSOFT EXCEL DRIVER (*.XLS) exists."}));
    char *text = nullptr;
    EXPECT_EQ(GXDB_Errors(&text), -1);
    ASSERT_NE(text, nullptr);
    EXPECT_THAT(text, HasSubstr("MICROSOFT EXCEL DRIVER (*.XLS)"));
    EXPECT_THAT(text, MatchesRegex(".*, SQLSTATE=[0-9A-Z]{5}\n")) << "the last record of the driver manager";

    // The readers report the same error in the listing window.
    sheet_table table{};
    EXPECT_EQ(GXDB_read_spreadsheet(path.c_str(), &table), -1);
    EXPECT_EQ(table.rows, nullptr);
    EXPECT_EQ(vexa::sim::listing_text(), text);
    HX_free(text);
    char **names = reinterpret_cast<char **>(0x1);
    int count = -1;
    EXPECT_EQ(GXDB_read_sheetnames(path.c_str(), &names, &count), -1);
    EXPECT_EQ(names, nullptr);
    EXPECT_EQ(count, 0);
}

TEST_F(GxdbWithoutDriver, ErrorsWithoutHandlesHandBackNothing)
{
    char *text = reinterpret_cast<char *>(0x1);
    EXPECT_EQ(GXDB_Errors(&text), -1);
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(GXDB_Errors(nullptr), -1);
    GXDB_Display_Err_Msg(nullptr);
    EXPECT_EQ(boxes(), (Strings{"SQL handle error."}));
    EXPECT_EQ(GXDB_Get_Sql_Infor(), -1) << "no connection";
}

TEST_F(GxdbWithoutDriver, ReadingAMissingWorkbookNamesTheSwappedPath)
{
    vexa::sim::set_translation("%s file is not found.", "%s: Datei nicht gefunden.");
    std::string given = dir_.host("cat.xs4") + "::Prices";
    sheet_table table{};
    table.row_count = 99;
    EXPECT_EQ(GXDB_read_spreadsheet(given.c_str(), &table), -1);
    EXPECT_STREQ(table.file_name, given.c_str()) << "the path as given, sheet suffix included";
    EXPECT_EQ(table.rows, nullptr);
    EXPECT_EQ(table.row_count, 0);
    EXPECT_EQ(boxes(), (Strings{dir_.host("cat.xls") + ": Datei nicht gefunden."}));
    EXPECT_EQ(GXDB_read_spreadsheet(nullptr, &table), -1);
    EXPECT_EQ(GXDB_read_spreadsheet(given.c_str(), nullptr), -1);
}

TEST_F(GxdbWithoutDriver, AHeldWorkbookIsCopiedIntoAPrivateDirectoryAndBothRemoved)
{
    std::string path = dir_.write("held.xls", {sheet("S", {{T("K")}, {I(1)}})});
    fs::path temp = dir_.path() / "temp";
    fs::create_directories(temp);
    vexa::sim::set_env("TMPDIR", temp.string());

    {
        LockHolder holder(dir_.local("held.xls"));
        ASSERT_TRUE(holder.locked());
        sheet_table table{};
        EXPECT_EQ(GXDB_read_spreadsheet(path.c_str(), &table), -1) << "no driver reads even the copy";
        // The connect reached the driver manager with the copy (no "cannot
        // find" line for it), and the copy and its directory are gone.
        EXPECT_THAT(vexa::sim::listing_text(), Not(HasSubstr("Cannot find data source file")));
        EXPECT_TRUE(fs::is_empty(temp));
        EXPECT_EQ(boxes(), (Strings{connect_failure}));

        // A temporary directory that cannot take the copy: the message, and
        // nothing is read.
        vexa::sim::set_translation(
            "The file (%s) is used by another process, and failed to create temporary file!", "(%s) held");
        vexa::sim::set_env("TMPDIR", (temp / "missing").string());
        vexa::sim::clear_journal();
        EXPECT_EQ(GXDB_read_spreadsheet(path.c_str(), &table), -1);
        EXPECT_EQ(boxes(), (Strings{"(" + path + ") held"}));
        EXPECT_THAT(vexa::sim::listing_text(), Not(HasSubstr("Cannot find data source file")));
        EXPECT_FALSE(fs::exists(temp / "missing"));
    }
    EXPECT_TRUE(fs::exists(dir_.local("held.xls"))) << "the workbook itself is never deleted";

    // Not held: no copy is attempted.
    vexa::sim::clear_journal();
    sheet_table table{};
    EXPECT_EQ(GXDB_read_spreadsheet(path.c_str(), &table), -1);
    EXPECT_EQ(boxes(), (Strings{connect_failure})) << "no copy message";
}

// Whatever the temporary directory holds under the workbook's name (a file
// of another program, a link planted there) is neither written through nor
// removed, and a held workbook lying in the temporary directory itself is
// kept.
TEST_F(GxdbWithoutDriver, TheCopyLeavesTheFilesOfTheTemporaryDirectoryAlone)
{
    fs::path temp = dir_.path() / "temp";
    fs::create_directories(temp);
    vexa::sim::set_env("TMPDIR", temp.string());
    std::string path = dir_.write("held.xls", {sheet("S", {{T("K")}})});
    std::ofstream(dir_.local("victim.txt")) << "precious";
    fs::create_symlink(dir_.local("victim.txt"), temp / "held.xls");
    std::ofstream(temp / "other.xls") << "mine";
    std::string in_temp = host_path((temp / "other.xls").string());
    {
        LockHolder holder(dir_.local("held.xls"));
        ASSERT_TRUE(holder.locked());
        sheet_table table{};
        EXPECT_EQ(GXDB_read_spreadsheet(path.c_str(), &table), -1);
        EXPECT_EQ(boxes(), (Strings{connect_failure})) << "the copy was made and reached the driver manager";
    }
    {
        LockHolder holder((temp / "other.xls").string());
        ASSERT_TRUE(holder.locked());
        sheet_table table{};
        EXPECT_EQ(GXDB_read_spreadsheet(in_temp.c_str(), &table), -1);
    }
    auto text_of = [](const fs::path &p) {
        std::ifstream in(p);
        std::stringstream all;
        all << in.rdbuf();
        return all.str();
    };
    EXPECT_TRUE(fs::is_symlink(temp / "held.xls")) << "the planted link stays";
    EXPECT_EQ(text_of(dir_.local("victim.txt")), "precious") << "and nothing was written through it";
    EXPECT_EQ(text_of(temp / "other.xls"), "mine") << "a held workbook in the temporary directory stays";
    std::vector<std::string> left;
    for (const auto &entry : fs::directory_iterator(temp))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (Strings{"held.xls", "other.xls"})) << "no copy directory is left behind";
}

TEST_F(GxdbWithoutDriver, RecordFunctionsWithoutAConnectionRefuseQuietly)
{
    int count = -1;
    int rows = -1;
    int columns = -1;
    char **list = nullptr;
    char path[GXDB_PATH_SIZE] = "untouched";
    EXPECT_EQ(GXDB_Query_Table_Names(&count, &list), -1);
    EXPECT_EQ(GXDB_Query_Column_Names("S$", &count, &list), -1);
    EXPECT_EQ(GXDB_Query_All_Records_In_Table("S$", &rows, &columns, &list), -1);
    EXPECT_EQ(list, nullptr);
    EXPECT_EQ(GXDB_Ask_Datafile_Name("S$", path), -1);
    EXPECT_EQ(GXDB_Delete_Table("S"), -1);
    EXPECT_EQ(GXDB_Add_Blank_Record("S", 2), -1);
    EXPECT_EQ(GXDB_Change_Table_Names("A", "B"), -1);
    EXPECT_EQ(vexa::sim::listing_text(), "Failed to rename table.\n");
    EXPECT_EQ(GXDB_Query_Table_Names(nullptr, &list), -1);
    EXPECT_EQ(GXDB_Query_All_Records_In_Table(nullptr, &rows, &columns, &list), -1);
    EXPECT_EQ(GXDB_Create_Table(nullptr, 1, nullptr), -1);
    EXPECT_TRUE(boxes().empty());
}

TEST(GxdbRecordList, EmptyRowsAreThoseWithTheMarkAtEveryOddPosition)
{
    EXPECT_EQ(GXDB_Check_Empty_Row(84, nullptr), 1);
    EXPECT_EQ(GXDB_Check_Empty_Row(84, ""), 1);
    EXPECT_EQ(GXDB_Check_Empty_Row(84, "|^|^|^"), 1);
    EXPECT_EQ(GXDB_Check_Empty_Row(84, "|^|x|^"), 0);
    EXPECT_EQ(GXDB_Check_Empty_Row(84, "|^|^|10"), 0);
    EXPECT_EQ(GXDB_Check_Empty_Row(5, "|^|^|x"), 1) << "only positions below the length count";
    EXPECT_EQ(GXDB_Check_Empty_Row(6, "|^|^|x"), 0);
}

class GxdbRecordListMemory : public HostTest {};

TEST_F(GxdbRecordListMemory, AddingRefusesEmptyTextsAndReportsAllocationFailures)
{
    char **list = nullptr;
    EXPECT_EQ(GXDB_Add_To_Record_List(&list, ""), -1);
    EXPECT_EQ(GXDB_Add_To_Record_List(&list, nullptr), -1);
    EXPECT_EQ(GXDB_Add_To_Record_List(nullptr, "x"), -1);
    EXPECT_EQ(GXDB_Add_To_Record_List(&list, "|a|^"), 1);
    EXPECT_EQ(GXDB_Add_To_Record_List(&list, "|b|c"), 2);

    testing::internal::CaptureStdout();
    vexa::sim::fail_allocations_after(0);
    EXPECT_EQ(GXDB_Add_To_Record_List(&list, "|d|e"), -1);
    vexa::sim::fail_allocations_after(-1);
    EXPECT_THAT(testing::internal::GetCapturedStdout(),
                MatchesRegex("Cannot allocate memory in cvstvshare_odbctoolfunc [0-9]+\n"));
    EXPECT_EQ(take_list(list), (Strings{"|a|^", "|b|c"}));
    EXPECT_EQ(list, nullptr);
    GXDB_Free_Record_List(&list);
    GXDB_Free_Record_List(nullptr);
}

TEST_F(GxdbRecordListMemory, FieldValueArraysAreFreedAndTheirPointerCleared)
{
    auto *values =
        static_cast<sGXDB_Field_Value *>(HX_zero_allocate_memory(3 * sizeof(sGXDB_Field_Value), nullptr));
    ASSERT_NE(values, nullptr);
    GXDB_Free_Field_Value(&values);
    EXPECT_EQ(values, nullptr);
    GXDB_Free_Field_Value(&values);
    GXDB_Free_Field_Value(nullptr);
}

TEST_F(GxdbRecordListMemory, InformationTextOpensTheListingWindowAndStopsAt511Characters)
{
    GXDB_Display_Infor("Tables: %d %s", 2, "found");
    EXPECT_TRUE(vexa::sim::listing_open());
    GXDB_Display_Infor("%s", std::string(600, 'x').c_str());
    EXPECT_EQ(vexa::sim::texts(vexa::sim::Entry::listing),
              (Strings{"Tables: 2 found", std::string(511, 'x')}));
    GXDB_Display_Infor(nullptr);
}

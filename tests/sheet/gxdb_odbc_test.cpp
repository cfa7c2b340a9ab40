// The workbook database over the real driver manager and the project's
// workbook driver, registered privately. The registration is copied into a
// directory of this test run with the driver manager's trace switched on, so
// the tests can read back the exact SQL texts that reached the driver.
#include "host_test.h"
#include "gxdb_test_support.h"

#include "cvstvshare/sheet_gxdb.h"

#include "hx_memory.h"

#include <gmock/gmock.h>

#include <clocale>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace gxdb_test;
using testing::HasSubstr;
using Strings = std::vector<std::string>;
using Grid = std::vector<Strings>; // "~" marks an empty cell, {} a null row

namespace {

// The private registration with tracing, made once per process.
const fs::path &registration()
{
    static const fs::path dir = [] {
        fs::path d = fs::path(testing::TempDir()) / ("gxdb_odbc_sysini_" + std::to_string(::getpid()));
        fs::create_directories(d);
        std::ifstream in(fs::path(CVSTV_ODBCSYSINI_DIR) / "odbcinst.ini");
        std::ofstream out(d / "odbcinst.ini");
        out << in.rdbuf() << "\n[ODBC]\nTrace=Yes\nTraceFile=" << (d / "trace.log").string() << "\n";
        std::ofstream(d / "odbc.ini").flush();
        return d;
    }();
    return dir;
}

std::string trace_text()
{
    std::ifstream in(registration() / "trace.log");
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

// The text of a traced argument "<label>[text][length = n ...": the text
// and n; the trace cuts long texts and marks the cut with "...".
bool traced_argument(const std::string &trace, std::size_t &pos, const std::string &label, std::string &text,
                     std::size_t &length)
{
    const std::string length_mark = "][length = ";
    std::size_t start = trace.find(label, pos);
    if (start == std::string::npos)
        return false;
    start += label.size();
    std::size_t end = trace.find(length_mark, start);
    if (end == std::string::npos)
        return false;
    text = trace.substr(start, end - start);
    length = std::strtoul(trace.c_str() + end + length_mark.size(), nullptr, 10);
    pos = end;
    return true;
}

// The SQL texts executed directly since the trace was last cleared.
Strings executed_statements()
{
    std::string trace = trace_text();
    Strings out;
    for (std::size_t pos = 0; (pos = trace.find("[SQLExecDirect.c]", pos)) != std::string::npos;) {
        std::size_t next = trace.find("[ODBC]", pos);
        std::string text;
        std::size_t length = 0;
        std::size_t at = pos;
        if (traced_argument(trace, at, "SQL = [", text, length) && (next == std::string::npos || at < next))
            out.push_back(text);
        pos = next == std::string::npos ? trace.size() : next;
    }
    return out;
}

// The connection strings passed to the driver manager since the trace was
// last cleared: their beginning (the trace cuts long texts) and length.
struct TracedConnect {
    std::string start;
    std::size_t length;
};

std::vector<TracedConnect> traced_connects()
{
    std::string trace = trace_text();
    std::vector<TracedConnect> out;
    std::string text;
    std::size_t length = 0;
    for (std::size_t pos = 0; traced_argument(trace, pos, "Str In = [", text, length);) {
        if (text.size() >= 3 && text.compare(text.size() - 3, 3, "...") == 0)
            text.resize(text.size() - 3);
        out.push_back({text, length});
    }
    return out;
}

std::string expected_connection_string(const std::string &path)
{
    return "DRIVER={MICROSOFT EXCEL DRIVER (*.XLS)};DSN='';FIRSTROWHASNAMES=1;READONLY=FALSE;CREATE_DB=\"" +
           path + "\";DBQ=" + path;
}

void clear_trace()
{
    std::ofstream(registration() / "trace.log", std::ios::trunc).flush();
}

Grid take_table(sheet_table &table)
{
    Grid grid;
    for (int r = 0; r < table.row_count; ++r) {
        Strings row;
        for (int c = 0; table.rows[r] && c < table.column_count; ++c)
            row.emplace_back(table.rows[r][c] ? table.rows[r][c] : "~");
        grid.push_back(row);
    }
    sheet_release_memo(&table);
    return grid;
}

class GxdbOdbc : public HostTest {
  protected:
    void SetUp() override
    {
        HostTest::SetUp();
        ::setenv("ODBCSYSINI", registration().c_str(), 1);
        clear_trace();
        catalogue_ =
            dir_.write("screws.xls", {sheet("Screws", {{T("D"), T("L"), T("NAME"), T("Force")},
                                                       {I(8), I(20), T("M8x20"), R(1.5)},
                                                       {Cell{}, Cell{}, Cell{}, Cell{}},
                                                       {I(10), I(30), T("M10x30")},
                                                       {Cell{}, Cell{}, Cell{}, Cell{}, T("far")}}),
                                      sheet("Nuts", {{T("D"), Cell{}, T("XF3")}, {I(8), T("hex"), I(1)}}),
                                      sheet("Header only", {{T("A"), T("B")}})});
    }
    static Strings boxes() { return vexa::sim::texts(vexa::sim::Entry::message_box); }

    ScratchDir dir_{"gxdb_odbc"};
    std::string catalogue_;
};

} // namespace

TEST_F(GxdbOdbc, ConnectionStringReachesTheDriverAndTablesAreTheSheets)
{
    ASSERT_EQ(GXDB_Connect(catalogue_.c_str()), 0);
    int count = 0;
    char **names = nullptr;
    ASSERT_EQ(GXDB_Query_Table_Names(&count, &names), 0);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(take_list(names), (Strings{"Header only$", "Nuts$", "Screws$"})) << "in the driver's order";
    EXPECT_EQ(GXDB_Disconnect(), 0);
    EXPECT_EQ(GXDB_Disconnect(), 0) << "disconnecting twice is harmless";

    auto connects = traced_connects();
    ASSERT_EQ(connects.size(), 1u);
    std::string expected = expected_connection_string(catalogue_);
    EXPECT_EQ(connects[0].length, expected.size());
    EXPECT_EQ(expected.substr(0, connects[0].start.size()), connects[0].start);
}

TEST_F(GxdbOdbc, SheetNamesLoseTheirDollarAndTheSheetSuffixIsIgnored)
{
    char **names = nullptr;
    int count = 0;
    std::string path = dir_.host("screws.xs4") + "::Nuts";
    ASSERT_EQ(GXDB_read_sheetnames(path.c_str(), &names, &count), 0);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(take_list(names), (Strings{"Header only", "Nuts", "Screws"}));
}

TEST_F(GxdbOdbc, ColumnNamesMarkGeneratedAndFNamesAsUnnamed)
{
    ASSERT_EQ(GXDB_Connect(catalogue_.c_str()), 0);
    int count = 0;
    char **names = nullptr;
    ASSERT_EQ(GXDB_Query_Column_Names("Screws$", &count, &names), 0);
    EXPECT_EQ(count, 5);
    EXPECT_EQ(take_list(names), (Strings{"D", "L", "NAME", "^", "^"}))
        << "\"Force\" begins with F; the fifth column has the driver's name F5";
    ASSERT_EQ(GXDB_Query_Column_Names("Nuts$", &count, &names), 0);
    EXPECT_EQ(take_list(names), (Strings{"D", "^", "^"}))
        << "F2 generated; \"XF3\" holds F and its column number";

    EXPECT_EQ(GXDB_Query_Column_Names("NoSuchSheet$", &count, &names), 0)
        << "an unknown table has no columns";
    EXPECT_EQ(count, 0);
    EXPECT_EQ(names, nullptr);
}

TEST_F(GxdbOdbc, AllRecordsListOnlyRecordsWithDataAndCountTheirWidestColumn)
{
    ASSERT_EQ(GXDB_Connect(catalogue_.c_str()), 0);
    int rows = 0;
    int columns = 0;
    char **records = nullptr;
    ASSERT_EQ(GXDB_Query_All_Records_In_Table("Screws$", &rows, &columns, &records), 0);
    EXPECT_EQ(rows, 3) << "the record of empty cells is not listed";
    EXPECT_EQ(columns, 5);
    EXPECT_EQ(take_list(records), (Strings{"|8|20|M8x20|1.5|^", "|10|30|M10x30|^|^", "|^|^|^|^|far"}));

    ASSERT_EQ(GXDB_Query_All_Records_In_Table("Header only$", &rows, &columns, &records), 0);
    EXPECT_EQ(rows, 0);
    EXPECT_EQ(columns, 0);
    EXPECT_EQ(records, nullptr);

    clear_trace();
    EXPECT_EQ(GXDB_Query_All_Records_In_Table("Missing$", &rows, &columns, &records), -1);
    EXPECT_EQ(executed_statements(), (Strings{"SELECT * FROM `Missing$`"}));
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_THAT(boxes()[0], testing::MatchesRegex(".*, SQLSTATE=42S02\n")) << "table not found";
}

// A record holds at most 83 columns, however wide the sheet; in a narrower
// sheet it holds every column of the result, the empty last ones as "^".
TEST_F(GxdbOdbc, RecordsStopAtTheLastColumnAndAtMost83)
{
    std::vector<Cell> header, values;
    for (int c = 1; c <= 90; ++c) {
        header.push_back(T(("C" + std::to_string(c)).c_str()));
        values.push_back(I(c));
    }
    std::string path =
        dir_.write("wide.xls", {sheet("Wide", {header, values, {T("a"), Cell{}, I(3)}}),
                                sheet("Narrow", {{T("A"), T("B"), T("C")}, {T("x")}, {Cell{}, I(2)}})});
    ASSERT_EQ(GXDB_Connect(path.c_str()), 0);
    int rows = 0;
    int columns = 0;
    char **records = nullptr;
    ASSERT_EQ(GXDB_Query_All_Records_In_Table("Wide$", &rows, &columns, &records), 0);
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(columns, 83);
    std::string full, second = "|a|^|3";
    for (int c = 1; c <= 83; ++c)
        full += "|" + std::to_string(c);
    for (int c = 4; c <= 83; ++c)
        second += "|^";
    EXPECT_EQ(take_list(records), (Strings{full, second}));

    ASSERT_EQ(GXDB_Query_All_Records_In_Table("Narrow$", &rows, &columns, &records), 0);
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(columns, 2);
    EXPECT_EQ(take_list(records), (Strings{"|x|^|^", "|^|2|^"}));
}

TEST_F(GxdbOdbc, ASheetReadsAsANormalisedTable)
{
    sheet_table table{};
    std::string path = dir_.host("screws.xs4") + "::Screws";
    ASSERT_EQ(GXDB_read_spreadsheet(path.c_str(), &table), 0);
    EXPECT_STREQ(table.file_name, path.c_str());
    // The F-named column reads as unnamed, the empty record is gone, and the
    // normalisation fills empty record cells down from the record above.
    EXPECT_EQ(take_table(table), (Grid{{"D", "L", "NAME", "~", "~"},
                                       {"8", "20", "M8x20", "1.5", "~"},
                                       {"10", "30", "M10x30", "1.5", "~"},
                                       {"10", "30", "M10x30", "1.5", "far"}}));

    ASSERT_EQ(GXDB_read_spreadsheet((catalogue_ + "::Nuts").c_str(), &table), 0);
    EXPECT_EQ(take_table(table), (Grid{{"D", "~", "~"}, {"8", "hex", "1"}}));

    EXPECT_EQ(GXDB_read_spreadsheet((catalogue_ + "::Bolts").c_str(), &table), -1) << "no such sheet";
    EXPECT_EQ(GXDB_read_spreadsheet((catalogue_ + "::Header only").c_str(), &table), -1) << "no records";
    EXPECT_EQ(table.rows, nullptr);
    EXPECT_TRUE(boxes().empty());
}

TEST_F(GxdbOdbc, ReadingSurvivesEveryAllocationFailure)
{
    std::string path = catalogue_ + "::Nuts";
    bool completed = false;
    for (long successes = 0; successes < 200 && !completed; ++successes) {
        testing::internal::CaptureStdout();
        vexa::sim::fail_allocations_after(successes);
        sheet_table table{};
        int rc = GXDB_read_spreadsheet(path.c_str(), &table);
        vexa::sim::fail_allocations_after(-1);
        std::string out = testing::internal::GetCapturedStdout();
        if (rc == 0) {
            EXPECT_EQ(take_table(table), (Grid{{"D", "~", "~"}, {"8", "hex", "1"}}));
            completed = true;
        } else {
            EXPECT_EQ(rc, -1);
            EXPECT_EQ(table.rows, nullptr);
            EXPECT_TRUE(out.empty() || out == "Cannot allocate memory!\n") << out;
        }
        EXPECT_EQ(vexa::sim::live_blocks(), 0u) << "after " << successes << " successful allocations";
    }
    EXPECT_TRUE(completed);
}

TEST_F(GxdbOdbc, WithoutASheetNameTheFirstTableIsRead)
{
    std::string path = dir_.write("single.xls", {sheet("Only", {{T("K"), T("V")}, {T("a"), I(1)}})});
    sheet_table table{};
    ASSERT_EQ(GXDB_read_spreadsheet(path.c_str(), &table), 0);
    EXPECT_EQ(take_table(table), (Grid{{"K", "V"}, {"a", "1"}}));
}

TEST_F(GxdbOdbc, SheetNamesWithSlashesAreReadUnderTheirTableName)
{
    // The driver cannot name a table with '/'; the workbook's sheet holds '_'.
    std::string path = dir_.write("sizes.xls", {sheet("A_B", {{T("K")}, {T("v")}})});
    sheet_table table{};
    ASSERT_EQ(GXDB_read_spreadsheet((path + "::A/B").c_str(), &table), 0);
    EXPECT_EQ(take_table(table), (Grid{{"K"}, {"v"}}));
}

TEST_F(GxdbOdbc, AHeldWorkbookIsReadFromATemporaryCopy)
{
    fs::path temp = dir_.path() / "temp";
    fs::create_directories(temp);
    vexa::sim::set_env("TMPDIR", temp.string());
    LockHolder holder(dir_.local("screws.xls"));
    ASSERT_TRUE(holder.locked());
    clear_trace();
    sheet_table table{};
    ASSERT_EQ(GXDB_read_spreadsheet((catalogue_ + "::Nuts").c_str(), &table), 0);
    EXPECT_EQ(take_table(table), (Grid{{"D", "~", "~"}, {"8", "hex", "1"}}));
    EXPECT_TRUE(fs::is_empty(temp)) << "the copy is deleted afterwards";
    EXPECT_TRUE(fs::exists(dir_.local("screws.xls")));
    auto connects = traced_connects();
    ASSERT_EQ(connects.size(), 1u);
    std::string copy = temp.string() + "\\cvstv_copy_XXXXXX\\screws.xls";
    EXPECT_EQ(connects[0].length, expected_connection_string(copy).size()) << "the copy was read";
    EXPECT_EQ(connects[0].start.substr(0, 100), expected_connection_string(copy).substr(0, 100));
}

// Readers of one held workbook at the same time each read their own copy:
// none removes or replaces the copy another is reading.
TEST_F(GxdbOdbc, ConcurrentReadersOfAHeldWorkbookDoNotCollide)
{
    fs::path temp = dir_.path() / "temp";
    fs::create_directories(temp);
    vexa::sim::set_env("TMPDIR", temp.string());
    LockHolder holder(dir_.local("screws.xls"));
    ASSERT_TRUE(holder.locked());
    const std::string path = catalogue_ + "::Nuts";
    auto read_many = [&path] {
        int failures = 0;
        for (int i = 0; i < 25; ++i) {
            sheet_table table{};
            if (GXDB_read_spreadsheet(path.c_str(), &table) != 0 || table.row_count != 2)
                ++failures;
            sheet_release_memo(&table);
        }
        return failures;
    };
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        ::_exit(read_many() == 0 ? 0 : 1);
    int failures = read_many();
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(failures, 0) << "this process";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the other process";
    EXPECT_TRUE(fs::is_empty(temp));
}

TEST_F(GxdbOdbc, EditingARegisterThroughStatements)
{
    std::string path =
        dir_.write("register.xls", {sheet("Old", {{T("A")}, {I(1)}}), sheet("Gone", {{T("B")}})});
    ASSERT_EQ(GXDB_Connect_RW_Mode(path.c_str(), 1), 0) << "read-write mode is ODBC without a port";
    clear_trace();

    char table[32] = "Parts$";
    sGXDB_Field fields[] = {field("ID", "number"), field("NAME", "text", 50, 1), field("QTY", "number")};
    ASSERT_EQ(GXDB_Create_Table(table, 3, fields), 0);
    EXPECT_STREQ(table, "Parts");
    sGXDB_Field_Value first[] = {integer(1), text("bolt"), real(2)};
    sGXDB_Field_Value second[] = {integer(2), text("O'Ring"), real(5)};
    ASSERT_EQ(GXDB_Add_Record("Parts", 3, fields, first), 0);
    ASSERT_EQ(GXDB_Add_Record("Parts", 3, nullptr, second), 0);
    EXPECT_EQ(GXDB_Add_Blank_Record("Parts", 3), 0);

    sGXDB_Field_Value change[] = {integer(2), text("washer"), real(1)};
    ASSERT_EQ(GXDB_Update_Record("[Parts$]", 3, 1, fields, change), 0);
    sGXDB_Field_Value renamed[] = {integer(7), text("nut"), real(1)};
    ASSERT_EQ(GXDB_Update_Record("[Parts$]", 3, 3, fields, renamed), 0)
        << "key last: ID and NAME where QTY=1";

    sGXDB_Field_Value query[] = {integer(0), text(""), real(1)};
    ASSERT_EQ(GXDB_Query_Record("[Parts$]", 3, 3, fields, query), 0);
    EXPECT_EQ(query[0].value.i, 7);
    EXPECT_STREQ(query[1].value.s, "nut");
    sGXDB_Field_Value none[] = {integer(99), text(""), real(0)};
    EXPECT_EQ(GXDB_Query_Record("[Parts$]", 3, 1, fields, none), -1) << "no record with ID=99";

    ASSERT_EQ(GXDB_Delete_Record("[Parts$]", 1, fields, first), 0);
    ASSERT_EQ(GXDB_Change_Table_Names("Old", "Renamed"), 0);
    ASSERT_EQ(GXDB_Delete_Table("[Gone$]"), 0);

    EXPECT_EQ(executed_statements(),
              (Strings{"CREATE TABLE [Parts] (ID number,NAME text(50),QTY number)",
                       "INSERT INTO [Parts] (ID, NAME, QTY) VALUES(1, 'bolt', 2.000000) ",
                       "INSERT INTO [Parts] VALUES(2, 'O''Ring', 5.000000) ",
                       "INSERT INTO [Parts] VALUES ('', '', '') ",
                       "UPDATE [Parts$] SET NAME='washer', QTY=1.000000  WHERE ID=2",
                       "UPDATE [Parts$] SET ID=7, NAME='nut'  WHERE QTY=1.000000",
                       "SELECT ID, NAME  FROM [Parts$] WHERE QTY=1.000000",
                       "SELECT NAME, QTY  FROM [Parts$] WHERE ID=99", "DELETE FROM [Parts$] WHERE ID=1",
                       "ALTER TABLE [Old$] RENAME TO [Renamed$]", "DROP TABLE [Gone$]"}));
    ASSERT_EQ(GXDB_Disconnect_RW_Mode(path.c_str(), 1), 0);

    workbook::Workbook book = dir_.read("register.xls");
    ASSERT_EQ(book.sheets.size(), 2u);
    EXPECT_EQ(book.sheets[0].name, "Renamed");
    EXPECT_EQ(book.sheets[1].name, "Parts");
    const workbook::Sheet &parts = book.sheets[1];
    ASSERT_GE(parts.rows.size(), 3u);
    EXPECT_EQ(parts.cell(0, 1)->as_text(), "NAME");
    EXPECT_TRUE(parts.rows[1].empty()) << "a deleted record's row is cleared, rows below stay in place";
    ASSERT_NE(parts.cell(2, 0), nullptr);
    EXPECT_EQ(parts.cell(2, 0)->as_text(), "7");
    EXPECT_EQ(parts.cell(2, 1)->as_text(), "nut");
}

TEST_F(GxdbOdbc, DeletingAllRecordsAndFailedStatements)
{
    std::string path =
        dir_.write("register.xls", {sheet("Data", {{T("K"), T("V")}, {I(1), I(2)}, {I(3), I(4)}})});
    ASSERT_EQ(GXDB_Connect(path.c_str()), 0);
    clear_trace();
    ASSERT_EQ(GXDB_Delete_All_Record("[Data$]"), 0);
    EXPECT_EQ(GXDB_Delete_Table("[Nothing$]"), -1);
    char *text = nullptr;
    EXPECT_EQ(GXDB_Errors(&text), -1);
    ASSERT_NE(text, nullptr);
    EXPECT_THAT(text, testing::EndsWith(", SQLSTATE=42S02\n"));
    HX_free(text);
    EXPECT_NE(GXDB_Change_Table_Names("Nothing", "Else"), 0);
    EXPECT_EQ(vexa::sim::listing_text(), "Failed to rename table.\n");
    EXPECT_EQ(executed_statements(), (Strings{"DELETE FROM [Data$]", "DROP TABLE [Nothing$]",
                                              "ALTER TABLE [Nothing$] RENAME TO [Else$]"}));
    int rows = -1;
    int columns = -1;
    char **records = nullptr;
    ASSERT_EQ(GXDB_Query_All_Records_In_Table("Data$", &rows, &columns, &records), 0);
    EXPECT_EQ(rows, 0);
    EXPECT_TRUE(boxes().empty());
}

TEST_F(GxdbOdbc, DatafileNameIsTheCatalogueWithItsExtension)
{
    ASSERT_EQ(GXDB_Connect(catalogue_.c_str()), 0);
    char path[GXDB_PATH_SIZE] = "";
    ASSERT_EQ(GXDB_Ask_Datafile_Name("Screws$", path), 0);
    EXPECT_EQ(std::string(path), dir_.host("screws.xls"));
}

TEST_F(GxdbOdbc, DriverFactsAndTheTraceOfAWorkbookGoToTheListingWindow)
{
    std::string path = dir_.write(
        "trace.xls",
        {sheet("Screws", {{T("D"), T("NAME")}, {I(8), T("M8")}, {Cell{}, Cell{}}, {I(10), T("M10")}})});
    ASSERT_EQ(GXDB_debug_database(path.c_str()), 0);
    std::string listing = vexa::sim::listing_text();
    EXPECT_THAT(listing, testing::StartsWith("\n ----------------------- Begin here  ------------------\n"
                                             "               Server Name: "));
    EXPECT_THAT(listing, HasSubstr("\n           CLI Driver Name: "));
    EXPECT_THAT(listing, HasSubstr("\nODBC SQL Conformance Level: Minimum Grammar\n"));
    EXPECT_THAT(listing, testing::EndsWith("\nReturn Tables[0]: Screws$\nTable number: 1"
                                           "\nQuery table : Screws$\nRecord Rows = 2, cols =2"
                                           "\nRecord Rows = 0, |8|M8"
                                           "\nRecord Rows = 1, |10|M10"
                                           "\n ----------------------- End here  ------------------\n\n"));
    EXPECT_TRUE(boxes().empty());
    EXPECT_EQ(GXDB_debug_database(dir_.host("none.xls").c_str()), -1);
}

// ---- Cells, names and statements as they stand ---------------------------------

// The record separator '|' and the empty-cell mark "^" are ordinary
// characters of a cell: the sheet reads with them in place. Only the record
// texts of GXDB_Query_All_Records_In_Table carry them unescaped, as
// documented.
TEST_F(GxdbOdbc, CellsHoldingTheRecordSeparatorOrTheEmptyMarkReadAsTheyStand)
{
    std::string path = dir_.write("marks.xls", {sheet("Marks", {{T("K"), T("V"), T("W")},
                                                                {T("a|b"), T("^"), T("c")},
                                                                {T("^"), Cell{}, Cell{}},
                                                                {T("|"), T("x^y|"), T("||^")}})});
    sheet_table table{};
    ASSERT_EQ(GXDB_read_spreadsheet(path.c_str(), &table), 0);
    EXPECT_EQ(take_table(table),
              (Grid{{"K", "V", "W"}, {"a|b", "^", "c"}, {"^", "^", "c"}, {"|", "x^y|", "||^"}}))
        << "the record holding only \"^\" is a record; the empty cells below are filled down";

    ASSERT_EQ(GXDB_Connect(path.c_str()), 0);
    int rows = 0;
    int columns = 0;
    char **records = nullptr;
    ASSERT_EQ(GXDB_Query_All_Records_In_Table("Marks$", &rows, &columns, &records), 0);
    EXPECT_EQ(take_list(records), (Strings{"|a|b|^|c", "|||x^y||||^"}))
        << "the documented record texts; the one reading as empty cells is not listed";
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(columns, 3);
}

// The driver's table-name argument of its column list is a pattern: "M_10$"
// also matches "M110$", which sorts first. Only the named table's columns
// count.
TEST_F(GxdbOdbc, ColumnNamesAreThoseOfExactlyTheNamedTable)
{
    std::string path =
        dir_.write("pattern.xls", {sheet("M110", {{T("WRONG_A"), T("WRONG_B"), T("WRONG_C")}, {I(1)}}),
                                   sheet("M_10", {{T("SIZE"), T("PITCH")}, {I(10), R(1.5)}}),
                                   sheet("P%1", {{T("RATE")}, {R(0.5)}}),
                                   sheet("PX1", {{T("OTHER"), T("MORE")}, {T("a")}})});
    ASSERT_EQ(GXDB_Connect(path.c_str()), 0);
    int count = 0;
    char **names = nullptr;
    ASSERT_EQ(GXDB_Query_Column_Names("M_10$", &count, &names), 0);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(take_list(names), (Strings{"SIZE", "PITCH"}));
    ASSERT_EQ(GXDB_Query_Column_Names("P%1$", &count, &names), 0);
    EXPECT_EQ(take_list(names), (Strings{"RATE"}));
    ASSERT_EQ(GXDB_Query_Column_Names("m_10", &count, &names), 0);
    EXPECT_EQ(take_list(names), (Strings{"SIZE", "PITCH"}))
        << "the sheet's name names its table, in any case";
    ASSERT_EQ(GXDB_Query_Column_Names("M_1", &count, &names), 0);
    EXPECT_EQ(count, 0) << "no table of that name";
    char datafile[GXDB_PATH_SIZE] = "";
    ASSERT_EQ(GXDB_Ask_Datafile_Name("P%1$", datafile), 0);
    EXPECT_EQ(std::string(datafile), path);
    GXDB_Disconnect();

    sheet_table table{};
    ASSERT_EQ(GXDB_read_spreadsheet((path + "::M_10").c_str(), &table), 0);
    EXPECT_EQ(take_table(table), (Grid{{"SIZE", "PITCH"}, {"10", "1.5"}}));
}

// The names row reaches as far as its last name, even where no record has
// a value below it.
TEST_F(GxdbOdbc, TheNamesRowKeepsNamesBeyondTheLastValue)
{
    std::string path = dir_.write("wide.xls", {sheet("S", {{T("D"), T("L"), T("NOTE")}, {I(8), I(20)}})});
    sheet_table table{};
    ASSERT_EQ(GXDB_read_spreadsheet(path.c_str(), &table), 0);
    EXPECT_EQ(take_table(table), (Grid{{"D", "L", "NOTE"}, {"8", "20", "~"}}));
}

// A statement that succeeds and changes nothing is a success: the driver
// answers SQL_NO_DATA for it.
TEST_F(GxdbOdbc, StatementsThatChangeNoRowSucceed)
{
    std::string path = dir_.write("register.xls", {sheet("Data", {{T("K"), T("V")}, {I(1), I(2)}}),
                                                   sheet("Empty", {{T("K"), T("V")}})});
    ASSERT_EQ(GXDB_Connect(path.c_str()), 0);
    sGXDB_Field fields[] = {field("K"), field("V")};
    sGXDB_Field_Value none[] = {integer(99), integer(5)};
    EXPECT_EQ(GXDB_Update_Record("[Data$]", 2, 1, fields, none), 0) << "no record with K=99";
    EXPECT_EQ(GXDB_Delete_Record("[Data$]", 1, fields, none), 0);
    EXPECT_EQ(GXDB_Delete_All_Record("[Empty$]"), 0) << "a sheet without records";
    char *text = nullptr;
    EXPECT_EQ(GXDB_Errors(&text), -1);
    EXPECT_EQ(text, nullptr) << "no error was recorded";
    EXPECT_EQ(GXDB_Delete_All_Record("[Missing$]"), -1) << "a failure is still one";
    EXPECT_TRUE(boxes().empty());
    GXDB_Disconnect();
    EXPECT_EQ(dir_.read("register.xls").sheets[0].cell(1, 1)->as_text(), "2");
}

// Reals are written as "%f" writes them in the C locale, whatever the
// process's LC_NUMERIC says.
TEST_F(GxdbOdbc, RealsAreWrittenTheSameUnderADecimalCommaLocale)
{
    std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr)
        << "the de_DE.UTF-8 locale is missing: scripts/install_deps.sh generates it";
    std::string path = dir_.write("register.xls", {sheet("Data", {{T("K"), T("V")}, {I(1), R(0.25)}})});
    ASSERT_EQ(GXDB_Connect(path.c_str()), 0);
    clear_trace();
    sGXDB_Field fields[] = {field("K"), field("V")};
    sGXDB_Field_Value added[] = {integer(2), real(2.5)};
    int add = GXDB_Add_Record("Data", 2, fields, added);
    sGXDB_Field_Value changed[] = {integer(1), real(-0.125)};
    int update = GXDB_Update_Record("[Data$]", 2, 1, fields, changed);
    GXDB_Disconnect();
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(executed_statements(), (Strings{"INSERT INTO [Data] (K, V) VALUES(2, 2.500000) ",
                                              "UPDATE [Data$] SET V=-0.125000  WHERE K=1"}));
    EXPECT_EQ(add, 0);
    EXPECT_EQ(update, 0);
    workbook::Workbook book = dir_.read("register.xls");
    EXPECT_EQ(book.sheets[0].cell(1, 1)->as_text(), "-0.125");
    EXPECT_EQ(book.sheets[0].cell(2, 1)->as_text(), "2.5");
}

// A NULL column of the record asked for: an integer or real keeps the
// caller's value (a default set beforehand stands), a text is empty.
TEST_F(GxdbOdbc, ANullColumnKeepsTheCallersNumberAndReadsAsEmptyText)
{
    std::string path = dir_.write("register.xls", {sheet("Data", {{T("K"), T("N"), T("R"), T("S")},
                                                                  {I(1), Cell{}, Cell{}, Cell{}},
                                                                  {I(2), I(7), R(0.5), T("x")}})});
    ASSERT_EQ(GXDB_Connect(path.c_str()), 0);
    sGXDB_Field fields[] = {field("K"), field("N"), field("R"), field("S")};
    sGXDB_Field_Value values[] = {integer(1), integer(-42), real(4.25), text("default")};
    ASSERT_EQ(GXDB_Query_Record("[Data$]", 4, 1, fields, values), 0);
    EXPECT_EQ(values[1].value.i, -42);
    EXPECT_EQ(values[2].value.d, 4.25);
    EXPECT_STREQ(values[3].value.s, "");
    values[0] = integer(2);
    ASSERT_EQ(GXDB_Query_Record("[Data$]", 4, 1, fields, values), 0);
    EXPECT_EQ(values[1].value.i, 7);
    EXPECT_EQ(values[2].value.d, 0.5);
    EXPECT_STREQ(values[3].value.s, "x");
}

// A text value reaches the sheet as the caller wrote it: quotes inside it
// are the statement's business (a single quote is doubled in the literal),
// not the caller's. As a key it finds the record that holds it.
TEST_F(GxdbOdbc, QuotesInsideTextValuesReachTheSheetUnchanged)
{
    std::string path = dir_.write("register.xls", {sheet("Data", {{T("K"), T("V")}})});
    ASSERT_EQ(GXDB_Connect(path.c_str()), 0);
    sGXDB_Field fields[] = {field("K"), field("V")};
    const Strings texts = {"O'Brien", "say \"hi\"", "''", "a\\b", "'", "x'; DROP TABLE [Data$]; --"};
    for (std::size_t i = 0; i < texts.size(); ++i) {
        sGXDB_Field_Value row[] = {text(texts[i]), integer(static_cast<int>(i))};
        EXPECT_EQ(GXDB_Add_Record("Data", 2, fields, row), 0) << texts[i];
    }
    for (std::size_t i = 0; i < texts.size(); ++i) {
        sGXDB_Field_Value key[] = {text(texts[i]), integer(-1)};
        ASSERT_EQ(GXDB_Query_Record("[Data$]", 2, 1, fields, key), 0) << texts[i];
        EXPECT_EQ(key[1].value.i, static_cast<int>(i)) << texts[i];
    }
    sGXDB_Field_Value change[] = {text("O'Brien"), integer(10)};
    EXPECT_EQ(GXDB_Update_Record("[Data$]", 2, 1, fields, change), 0);
    sGXDB_Field_Value gone[] = {text("say \"hi\""), integer(0)};
    EXPECT_EQ(GXDB_Delete_Record("[Data$]", 1, fields, gone), 0);
    GXDB_Disconnect();

    sheet_table table{};
    ASSERT_EQ(GXDB_read_spreadsheet(path.c_str(), &table), 0);
    EXPECT_EQ(take_table(table), (Grid{{"K", "V"},
                                       {"O'Brien", "10"},
                                       {"''", "2"},
                                       {"a\\b", "3"},
                                       {"'", "4"},
                                       {"x'; DROP TABLE [Data$]; --", "5"}}));
}

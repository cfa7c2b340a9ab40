// The headless host's spreadsheets: default application, registry, ports,
// reading sheets through a port, and workbooks edited in read-write mode.
#include "host_test.h"

#include "hx_memory.h"
#include "hx_spreadsheet.h"

#include "workbook/workbook.h"

#include <clocale>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using workbook::Cell;

namespace {

using Strings = std::vector<std::string>;
using Grid = std::vector<std::vector<std::string>>; // "~" marks a null cell, {} a null row

Grid take_grid(char ***rows, int row_count, int column_count)
{
    Grid grid;
    for (int r = 0; r < row_count; ++r) {
        std::vector<std::string> row;
        if (rows[r]) {
            for (int c = 0; c < column_count; ++c) {
                row.emplace_back(rows[r][c] ? rows[r][c] : "~");
                HX_free(rows[r][c]);
            }
            HX_free(rows[r]);
        }
        grid.push_back(row);
    }
    HX_free(rows);
    return grid;
}

Strings take_names(char **names)
{
    Strings out;
    for (int i = 0; names && names[i]; ++i) {
        out.emplace_back(names[i]);
        HX_free(names[i]);
    }
    HX_free(names);
    return out;
}

workbook::Sheet sheet(std::string name, std::vector<std::vector<Cell>> rows)
{
    workbook::Sheet s;
    s.name = std::move(name);
    s.rows = std::move(rows);
    return s;
}

Cell T(const char *text)
{
    return Cell::make_text(text);
}
Cell I(long long value)
{
    return Cell::make_integer(value);
}
Cell R(double value)
{
    return Cell::make_real(value);
}

// The cells of a sheet as text, "" for empty cells, trailing empty rows kept.
Grid texts(const workbook::Sheet &s)
{
    Grid out;
    for (const auto &row : s.rows) {
        std::vector<std::string> cells;
        for (const auto &c : row)
            cells.push_back(c.as_text());
        out.push_back(cells);
    }
    return out;
}

class Spreadsheets : public HostTest {
  protected:
    void SetUp() override
    {
        HostTest::SetUp();
        dir_ = fs::path(testing::TempDir()) /
               ("ports_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
        HostTest::TearDown();
    }

    // Writes a workbook and answers its path in the host's form.
    std::string write(const std::string &name, std::vector<workbook::Sheet> sheets)
    {
        workbook::Workbook book;
        book.sheets = std::move(sheets);
        std::string local = (dir_ / name).string();
        auto status = workbook::write_workbook(local, book);
        EXPECT_TRUE(status) << status.error;
        return host(local);
    }

    static std::string host(std::string local)
    {
        for (char &c : local)
            if (c == '/')
                c = '\\';
        return local;
    }

    workbook::Workbook read_back(const std::string &name)
    {
        workbook::Workbook book;
        auto status = workbook::read_workbook((dir_ / name).string(), book);
        EXPECT_TRUE(status) << status.error;
        return book;
    }

    static int new_port()
    {
        int port = 0;
        EXPECT_EQ(HX_SS_create_port(&port), HX_OK);
        return port;
    }

    fs::path dir_;
};

} // namespace

TEST_F(Spreadsheets, DefaultApplicationIsXessUntilChosen)
{
    int app = -1;
    ASSERT_EQ(HX_ask_default_spreadsheet(&app), HX_OK);
    EXPECT_EQ(app, HX_SPREADSHEET_XESS);
    vexa::sim::set_default_spreadsheet_excel(true);
    HX_ask_default_spreadsheet(&app);
    EXPECT_EQ(app, HX_SPREADSHEET_EXCEL);
    vexa::sim::reset();
    HX_ask_default_spreadsheet(&app);
    EXPECT_EQ(app, HX_SPREADSHEET_XESS) << "a reset session starts with XESS again";
    EXPECT_EQ(HX_ask_default_spreadsheet(nullptr), HX_ERR_BAD_ARGUMENT);
}

TEST_F(Spreadsheets, RegistryAnswersOnlyWhatTheSessionWasGiven)
{
    const char *key = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Office";
    char value[16] = "stale";
    EXPECT_EQ(HX_CV_read_register(key, "BinDirPath", value, sizeof value), HX_ERR_NOT_FOUND);
    EXPECT_STREQ(value, "");

    vexa::sim::set_registry_value(key, "BinDirPath", "C:\\Office");
    ASSERT_EQ(HX_CV_read_register("hkey_local_machine\\software\\MICROSOFT\\office", "bindirpath", value,
                                  sizeof value),
              HX_OK)
        << "keys and value names compare without case";
    EXPECT_STREQ(value, "C:\\Office");
    EXPECT_EQ(HX_CV_read_register(key, "Excel\\InstallRoot\\path", value, sizeof value), HX_ERR_NOT_FOUND);

    char small[9];
    EXPECT_EQ(HX_CV_read_register(key, "BinDirPath", small, sizeof small), HX_ERR_TOO_LONG);
    EXPECT_STREQ(small, "");

    vexa::sim::clear_registry();
    EXPECT_EQ(HX_CV_read_register(key, "BinDirPath", value, sizeof value), HX_ERR_NOT_FOUND);
}

TEST_F(Spreadsheets, PortsOpenCloseAndMakeWorkbooksCurrent)
{
    std::string a = write("a.xls", {sheet("S", {{T("x")}})});
    std::string b = write("b.xls", {sheet("S", {{T("y")}})});
    int first = new_port();
    int second = new_port();
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 2);

    EXPECT_EQ(HX_SS_open_file(first, a.c_str()), HX_OK);
    EXPECT_EQ(HX_SS_open_file(first, b.c_str()), HX_OK);
    EXPECT_EQ(HX_SS_open_file(first, a.c_str()), HX_OK) << "opening an open workbook again is harmless";
    EXPECT_EQ(vexa::sim::open_workbooks(first), (Strings{a, b}));
    EXPECT_TRUE(vexa::sim::open_workbooks(second).empty());
    EXPECT_EQ(HX_SS_set_current(first, a.c_str()), HX_OK);
    EXPECT_EQ(HX_SS_set_current(second, a.c_str()), HX_ERR_NOT_FOUND) << "not open in that port";

    EXPECT_EQ(HX_SS_close_file(first, a.c_str()), HX_OK);
    EXPECT_EQ(HX_SS_close_file(first, a.c_str()), HX_ERR_NOT_FOUND);
    EXPECT_EQ(vexa::sim::open_workbooks(first), (Strings{b}));

    EXPECT_EQ(HX_SS_open_file(7, a.c_str()), HX_ERR_BAD_ARGUMENT) << "no such port";
    EXPECT_EQ(HX_SS_open_file(first, host((dir_ / "missing.xls").string()).c_str()), HX_ERR_NOT_FOUND);
    std::ofstream((dir_ / "garbage.xls").string()) << "not a workbook at all";
    EXPECT_EQ(HX_SS_open_file(first, host((dir_ / "garbage.xls").string()).c_str()), HX_ERR_IO);
    EXPECT_EQ(vexa::sim::open_workbooks(first), (Strings{b}));
}

TEST_F(Spreadsheets, PortCreationCanBeMadeToFail)
{
    vexa::sim::fail_port_creation(4711);
    int port = 5;
    EXPECT_EQ(HX_SS_create_port(&port), 4711);
    EXPECT_EQ(port, 0);
    vexa::sim::fail_port_creation(0);
    EXPECT_EQ(HX_SS_create_port(&port), HX_OK);
    EXPECT_EQ(port, 1);
}

TEST_F(Spreadsheets, SheetGridHoldsCellsAsTextWithNullRowsForEmptyRows)
{
    std::string path = write("grid.xls", {sheet("First", {{T("D"), T("L"), T("Note")},
                                                          {I(8), R(2.5), T("  padded ")},
                                                          {},
                                                          {Cell{}, R(0.1), Cell{}},
                                                          {R(12.0), I(-3)},
                                                          {Cell{}, Cell{}, Cell{}}}),
                                          sheet("Second", {{T("only")}}), sheet("Empty", {})});
    int port = new_port();
    char ***rows = nullptr;
    int row_count = -1;
    int column_count = -1;
    ASSERT_EQ(HX_TOOL_read_sheet_grid(port, path.c_str(), nullptr, &rows, &row_count, &column_count), HX_OK);
    EXPECT_EQ(row_count, 5) << "rows end at the last row with data";
    EXPECT_EQ(column_count, 3);
    EXPECT_EQ(
        take_grid(rows, row_count, column_count),
        (Grid{{"D", "L", "Note"}, {"8", "2.5", "  padded "}, {}, {"~", "0.1", "~"}, {"12", "-3", "~"}}));

    ASSERT_EQ(HX_TOOL_read_sheet_grid(port, path.c_str(), "Second", &rows, &row_count, &column_count), HX_OK);
    EXPECT_EQ(take_grid(rows, row_count, column_count), (Grid{{"only"}}));
    ASSERT_EQ(HX_TOOL_read_sheet_grid(port, path.c_str(), "Empty", &rows, &row_count, &column_count), HX_OK);
    EXPECT_EQ(rows, nullptr);
    EXPECT_EQ(row_count, 0);

    EXPECT_EQ(HX_TOOL_read_sheet_grid(port, path.c_str(), "second", &rows, &row_count, &column_count),
              HX_ERR_NOT_FOUND)
        << "sheet names match with case";
    EXPECT_EQ(rows, nullptr);
    std::string missing = host((dir_ / "none.xls").string());
    EXPECT_EQ(HX_TOOL_read_sheet_grid(port, missing.c_str(), nullptr, &rows, &row_count, &column_count),
              HX_ERR_NOT_FOUND);
    EXPECT_EQ(HX_TOOL_read_sheet_grid(port + 1, path.c_str(), nullptr, &rows, &row_count, &column_count),
              HX_ERR_BAD_ARGUMENT)
        << "a port that was never created";

    char **names = nullptr;
    int count = 0;
    ASSERT_EQ(HX_TOOL_ask_sheet_names(port, path.c_str(), &names, &count), HX_OK);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(take_names(names), (Strings{"First", "Second", "Empty"}));
}

TEST_F(Spreadsheets, GridReadingSurvivesAllocationFailures)
{
    std::string path = write("grid.xls", {sheet("S", {{T("a"), T("b")}, {I(1), I(2)}, {I(3), I(4)}})});
    int port = new_port();
    for (long successes = 0; successes < 8; ++successes) {
        vexa::sim::fail_allocations_after(successes);
        char ***rows = reinterpret_cast<char ***>(0x1);
        int row_count = -1;
        int column_count = -1;
        int status = HX_TOOL_read_sheet_grid(port, path.c_str(), nullptr, &rows, &row_count, &column_count);
        vexa::sim::fail_allocations_after(-1);
        if (status == HX_OK) {
            EXPECT_EQ(take_grid(rows, row_count, column_count), (Grid{{"a", "b"}, {"1", "2"}, {"3", "4"}}));
            break;
        }
        EXPECT_EQ(status, HX_ERR_NO_MEMORY);
        EXPECT_EQ(rows, nullptr);
    }
}

TEST_F(Spreadsheets, ReadWriteWorkbookChangesSheetsAndSavesOnClose)
{
    std::string path = write("book.xls", {sheet("Data", {{T("NAME"), T("SIZE")}, {T("a"), I(1)}}),
                                          sheet("Old", {{T("x")}}), sheet("Gone", {{T("y")}})});
    int port = new_port();
    int handle = 0;
    ASSERT_EQ(HX_TOOL_open_workbook(port, path.c_str(), 1, &handle), HX_OK);
    EXPECT_GE(handle, 1);

    HX_cell_value row[4] = {};
    row[0].type = 2, row[0].text = "'007"; // marked text: stays text, mark dropped
    row[1].type = 2, row[1].text = "2.50"; // unmarked number text becomes a number
    row[2].type = 1, row[2].real = 0.25;
    row[3].type = 9; // any other type: an empty cell
    EXPECT_EQ(HX_TOOL_append_row(handle, "Data", 4, row), HX_OK);
    EXPECT_EQ(HX_TOOL_append_blank_row(handle, "Data", 2), HX_OK);
    HX_cell_value last[2] = {};
    last[0].type = 0, last[0].integer = 42;
    last[1].type = 2, last[1].text = "plain";
    EXPECT_EQ(HX_TOOL_append_row(handle, "Data", 2, last), HX_OK);

    EXPECT_EQ(HX_TOOL_add_sheet(handle, "New"), HX_OK);
    EXPECT_EQ(HX_TOOL_add_sheet(handle, "New"), HX_ERR_BAD_ARGUMENT) << "the name is taken";
    EXPECT_EQ(HX_TOOL_add_sheet(handle, "A name longer than thirty-one chars"), HX_ERR_BAD_ARGUMENT);
    EXPECT_EQ(HX_TOOL_rename_sheet(handle, "Old", "Renamed"), HX_OK);
    EXPECT_EQ(HX_TOOL_rename_sheet(handle, "Old", "Again"), HX_ERR_NOT_FOUND);
    EXPECT_EQ(HX_TOOL_rename_sheet(handle, "Renamed", "Data"), HX_ERR_BAD_ARGUMENT);
    EXPECT_EQ(HX_TOOL_delete_sheet(handle, "Gone"), HX_OK);
    EXPECT_EQ(HX_TOOL_delete_sheet(handle, "Gone"), HX_ERR_NOT_FOUND);
    EXPECT_EQ(HX_TOOL_append_row(handle, "Nowhere", 2, last), HX_ERR_NOT_FOUND);

    char **names = nullptr;
    int count = 0;
    ASSERT_EQ(HX_TOOL_ask_workbook_sheet_names(handle, &names, &count), HX_OK);
    EXPECT_EQ(take_names(names), (Strings{"Data", "Renamed", "New"}));

    EXPECT_EQ(texts(read_back("book.xls").sheets[0]).size(), 2u) << "nothing is written before closing";
    ASSERT_EQ(HX_TOOL_close_workbook(handle, 1), HX_OK);
    EXPECT_EQ(HX_TOOL_close_workbook(handle, 1), HX_ERR_NOT_FOUND) << "the handle is gone";

    workbook::Workbook book = read_back("book.xls");
    ASSERT_EQ(book.sheets.size(), 3u);
    EXPECT_EQ(book.sheets[1].name, "Renamed");
    EXPECT_EQ(book.sheets[2].name, "New");
    const workbook::Sheet &data = book.sheets[0];
    ASSERT_GE(data.rows.size(), 5u) << testing::PrintToString(texts(data));
    EXPECT_EQ(data.cell(2, 0)->type, workbook::CellType::text);
    EXPECT_EQ(data.cell(2, 0)->text, "007");
    EXPECT_EQ(data.cell(2, 1)->as_text(), "2.5");
    EXPECT_NE(data.cell(2, 1)->type, workbook::CellType::text);
    EXPECT_EQ(data.cell(2, 2)->as_text(), "0.25");
    EXPECT_TRUE(!data.cell(2, 3) || data.cell(2, 3)->empty());
    EXPECT_TRUE(data.cell(3, 0) == nullptr || data.cell(3, 0)->empty()) << "the blank row stays a gap";
    EXPECT_EQ(data.cell(4, 0)->as_text(), "42");
    EXPECT_EQ(data.cell(4, 1)->text, "plain");
}

TEST_F(Spreadsheets, DeletingAllRecordsKeepsTheNamesRow)
{
    std::string path = write("book.xls", {sheet("Data", {{T("K"), T("V")}, {I(1), I(2)}, {I(3), I(4)}})});
    int handle = 0;
    ASSERT_EQ(HX_TOOL_open_workbook(new_port(), path.c_str(), 1, &handle), HX_OK);
    EXPECT_EQ(HX_TOOL_delete_all_records(handle, "Data"), HX_OK);
    HX_cell_value row[1] = {};
    row[0].type = 0, row[0].integer = 9;
    EXPECT_EQ(HX_TOOL_append_row(handle, "Data", 1, row), HX_OK);
    ASSERT_EQ(HX_TOOL_close_workbook(handle, 1), HX_OK);
    EXPECT_EQ(texts(read_back("book.xls").sheets[0]), (Grid{{"K", "V"}, {"9"}}));
}

TEST_F(Spreadsheets, ClosingWithoutSaveOrReadOnlyLeavesTheFileAlone)
{
    std::string path = write("book.xls", {sheet("Data", {{T("K")}, {I(1)}})});
    int port = new_port();
    int handle = 0;
    ASSERT_EQ(HX_TOOL_open_workbook(port, path.c_str(), 1, &handle), HX_OK);
    EXPECT_EQ(HX_TOOL_delete_all_records(handle, "Data"), HX_OK);
    EXPECT_EQ(HX_TOOL_close_workbook(handle, 0), HX_OK);
    EXPECT_EQ(texts(read_back("book.xls").sheets[0]), (Grid{{"K"}, {"1"}}));

    ASSERT_EQ(HX_TOOL_open_workbook(port, path.c_str(), 0, &handle), HX_OK);
    EXPECT_EQ(HX_TOOL_delete_all_records(handle, "Data"), HX_ERR_BAD_ARGUMENT) << "read-only handle";
    EXPECT_EQ(HX_TOOL_add_sheet(handle, "More"), HX_ERR_BAD_ARGUMENT);
    EXPECT_EQ(HX_TOOL_close_workbook(handle, 1), HX_OK);
    EXPECT_EQ(texts(read_back("book.xls").sheets[0]), (Grid{{"K"}, {"1"}}));

    EXPECT_EQ(HX_TOOL_open_workbook(port, host((dir_ / "none.xls").string()).c_str(), 1, &handle),
              HX_ERR_NOT_FOUND);
    EXPECT_EQ(handle, 0);
}

TEST_F(Spreadsheets, FailedSaveIsReportedAndTheHandleIsClosed)
{
    std::string path = write("book.xls", {sheet("Data", {{T("K")}, {I(1)}})});
    int handle = 0;
    ASSERT_EQ(HX_TOOL_open_workbook(new_port(), path.c_str(), 1, &handle), HX_OK);
    EXPECT_EQ(HX_TOOL_delete_all_records(handle, "Data"), HX_OK);
    // A directory now stands where the workbook was: the new file cannot be
    // renamed over it.
    fs::remove(dir_ / "book.xls");
    fs::create_directories(dir_ / "book.xls" / "inside");
    EXPECT_EQ(HX_TOOL_close_workbook(handle, 1), HX_ERR_IO);
    EXPECT_EQ(HX_TOOL_close_workbook(handle, 0), HX_ERR_NOT_FOUND) << "the handle is closed all the same";
    int entries = 0;
    for ([[maybe_unused]] const auto &entry : fs::directory_iterator(dir_))
        ++entries;
    EXPECT_EQ(entries, 1) << "no half-written file is left beside it";
}

// Typed texts become numbers exactly when the project's one number reader
// reads them, whatever LC_NUMERIC says (here a decimal-comma locale).
TEST_F(Spreadsheets, TypedTextsBecomeNumbersByTheSharedReaderInAnyLocale)
{
    std::string path = write("book.xls", {sheet("Data", {{T("V")}})});
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr)
        << "locale de_DE.UTF-8 is not generated (scripts/install_deps.sh generates it)";
    int handle = 0;
    ASSERT_EQ(HX_TOOL_open_workbook(new_port(), path.c_str(), 1, &handle), HX_OK);
    for (const char *typed : {"0x1A", "1e3", " 12 ", "1,5", "2.5"}) {
        HX_cell_value value = {};
        value.type = 2, value.text = typed;
        EXPECT_EQ(HX_TOOL_append_row(handle, "Data", 1, &value), HX_OK);
    }
    ASSERT_EQ(HX_TOOL_close_workbook(handle, 1), HX_OK);
    std::setlocale(LC_NUMERIC, previous.c_str());
    const workbook::Sheet data = read_back("book.xls").sheets.at(0);
    EXPECT_EQ(texts(data), (Grid{{"V"}, {"0x1A"}, {"1000"}, {"12"}, {"1,5"}, {"2.5"}}));
    EXPECT_EQ(data.cell(1, 0)->type, workbook::CellType::text);
    EXPECT_EQ(data.cell(4, 0)->type, workbook::CellType::text);
    EXPECT_EQ(data.cell(5, 0)->type, workbook::CellType::real);
}

// A workbook gnumeric wrote with formulas: the port reads each formula cell
// as its cached result, as the workbook driver does.
TEST_F(Spreadsheets, FormulaCellsReadAsTheirCachedResults)
{
    const std::string path =
        host(std::string(CVSTV_SOURCE_DIR) + "/tests/resources/workbook/gnumeric_formulas.xls");
    char ***rows = nullptr;
    int row_count = 0;
    int column_count = 0;
    ASSERT_EQ(HX_TOOL_read_sheet_grid(new_port(), path.c_str(), "Calc", &rows, &row_count, &column_count),
              HX_OK);
    const Grid grid = take_grid(rows, row_count, column_count);
    ASSERT_EQ(grid.size(), 6u);
    EXPECT_EQ(grid[1], (std::vector<std::string>{"1", "2", "3", "abcd1", "FALSE", "0.5", "~", "2024-01-15"}));
    EXPECT_EQ(grid[3],
              (std::vector<std::string>{"10", "0", "10", "abcd10", "TRUE", "#DIV/0!", "~", "2024-03-15"}));
}

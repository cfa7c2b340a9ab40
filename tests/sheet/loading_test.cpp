// Spreadsheet loading: the choice among the readers, the automation reader
// through a port, sheet names by every method, starting the spreadsheet
// program with its add-in, and the register check. The three read methods
// are compared on the example kit's generated workbooks.
#include "cvstvshare/sheet_gxdb.h"
#include "cvstvshare/sheet_loading.h"
#include "cvstvshare/startup.h"
#include "cvstvshare/util.h"
#include "xess_test_support.h"

#include "host_test.h"
#include "hx_spreadsheet.h"
#include "vexahost/xess_export.h"
#include "workbook/workbook.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

using Cells = std::vector<std::vector<std::string>>;

namespace {

const std::string kit = std::string(CVSTV_BINARY_DIR) + "/examples/kit";

std::string host_form(std::string path)
{
    for (char &c : path)
        if (c == '/')
            c = '\\';
    return path;
}

class Loading : public HostTest {
  protected:
    void SetUp() override
    {
        HostTest::SetUp();
        CVSTWSHARE_set_wizard_type(1);
        vexa::sim::set_env("CAVORA_DIR", host_form(kit + "/cavora"));
        vexa::sim::set_env("STRIVO_DIR", host_form(kit + "/strivo"));
        vexa::sim::unset_env("CV_STANDARDPARTPATH");
    }
    void TearDown() override
    {
        sheet_release_memo(&table);
        HostTest::TearDown();
    }
    // Reads by the current setting; the cells, or {} with the status kept.
    Cells read(const std::string &path)
    {
        sheet_release_memo(&table);
        status = CVSTVSHARE_read_spreadsheet(1, path.c_str(), &table);
        return status == 0 ? table_cells(table) : Cells{};
    }
    static std::vector<std::string> names_of(char **list, int count)
    {
        std::vector<std::string> names(list, list + count);
        kt_free_str_list(&list);
        return names;
    }

    XessScratch scratch;
    sheet_table table{};
    int status = 0;
};

// A small workbook written as .xls and as .xs4 in the scratch directory.
void write_prices(const XessScratch &scratch)
{
    workbook::Workbook book;
    book.sheets.push_back({"Sizes", {{workbook::Cell::make_text("SIZE")}}});
    book.sheets.push_back({"Prices",
                           {{workbook::Cell::make_text("D"), workbook::Cell::make_text("PRICE")},
                            {workbook::Cell::make_integer(8), workbook::Cell::make_real(0.42)},
                            {workbook::Cell{}, workbook::Cell::make_real(0.45)}}}); // D filled down
    ASSERT_TRUE(workbook::write_workbook(scratch.path("a.xls"), book).ok);
    scratch.write("a.xs4",
                  "Sn::1/Sizes\nSn::2/Prices\nX::4.1!A1.2\nSd::1\nTl@A1:\"L\"SIZE\"\nX::4.2!B3.2\nSd::2\n"
                  "Tl@A1:\"L\"D\"\nTl@B1:\"L\"PRICE\"\nNv@A2:=G=8\nNv@B2:=G=0.42\nNv@B3:=G=0.45\n");
}

const Cells prices = {{"D", "PRICE"}, {"8", "0.42"}, {"8", "0.45"}};

TEST_F(Loading, DefaultApplicationChoosesTheReader)
{
    write_prices(scratch);
    EXPECT_EQ(CVSTVSHARE_get_xs_default_setting(), 0);
    // XESS: the .xls path reads the .xs4 export beside it.
    EXPECT_EQ(read(scratch.host("a.xls") + "::Prices"), prices);
    EXPECT_EQ(read(scratch.host("a.xls")), (Cells{{"SIZE"}}));
    EXPECT_EQ(CVSTVSHARE_get_xls_port(), 0) << "no port for XESS";

    // Excel, read method 0: a port is created, recorded and used for the .xls.
    vexa::sim::set_default_spreadsheet_excel(true);
    EXPECT_EQ(CVSTVSHARE_get_xs_default_setting(), 1);
    std::remove(scratch.path("a.xs4").c_str());
    EXPECT_EQ(read(scratch.host("a.xs4") + "::Prices"), prices);
    EXPECT_EQ(std::string(table.file_name), scratch.host("a.xs4") + "::Prices");
    EXPECT_EQ(table.found_row, -1);
    int port = CVSTVSHARE_get_xls_port();
    EXPECT_GE(port, 1);
    EXPECT_EQ(read(scratch.host("a.xls") + "::Sizes"), (Cells{{"SIZE"}}));
    EXPECT_EQ(CVSTVSHARE_get_xls_port(), port) << "the opened port is reused";
}

TEST_F(Loading, PortReaderStatuses)
{
    write_prices(scratch);
    vexa::sim::set_default_spreadsheet_excel(true);

    vexa::sim::fail_port_creation(4711);
    table.row_count = 77; // untouched on failure
    EXPECT_EQ(CVSTVSHARE_read_spreadsheet(1, scratch.host("a.xls").c_str(), &table), 4711);
    EXPECT_EQ(table.row_count, 77);
    table.row_count = 0;
    EXPECT_EQ(CVSTVSHARE_get_xls_port(), 0);
    vexa::sim::fail_port_creation(0);

    read(scratch.host("a.xls") + "::Nothing");
    EXPECT_EQ(status, -1) << "unknown sheet";
    read(scratch.host("missing.xls"));
    EXPECT_EQ(status, -1) << "missing workbook";
    EXPECT_EQ(table.rows, nullptr);

    workbook::Workbook empty;
    empty.sheets.push_back({"Blank", {}});
    empty.sheets.push_back({"Comments", {{workbook::Cell::make_text("// nothing but a remark")}}});
    ASSERT_TRUE(workbook::write_workbook(scratch.path("e.xls"), empty).ok);
    read(scratch.host("e.xls"));
    EXPECT_EQ(status, -2);
    read(scratch.host("e.xls") + "::Comments");
    EXPECT_EQ(status, -2);
    EXPECT_EQ(table.rows, nullptr);
}

TEST_F(Loading, SheetNamesByEveryMethod)
{
    write_prices(scratch);
    char **names = nullptr;
    int count = -1;
    // XESS opens the path as given: an .xls path is not read as .xs4.
    ASSERT_EQ(sheet_ask_sheetnames(scratch.host("a.xs4").c_str(), &names, &count), 0);
    EXPECT_EQ(names_of(names, count), (std::vector<std::string>{"Sizes", "Prices"}));
    // The workbook itself holds no sheet-name lines.
    ASSERT_EQ(sheet_ask_sheetnames(scratch.host("a.xls").c_str(), &names, &count), 0);
    EXPECT_EQ(names, nullptr);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(sheet_ask_sheetnames(scratch.host("b.xls").c_str(), &names, &count), -1);
    EXPECT_EQ(message_boxes(),
              std::vector<std::string>{"Cannot find spreadsheet = " + scratch.host("b.xls") + "\n"});

    // Excel with a port open: listed through the port, the workbook closed again.
    vexa::sim::set_default_spreadsheet_excel(true);
    int port = 0;
    ASSERT_EQ(HX_SS_create_port(&port), 0);
    CVSTVSHARE_set_xls_port(port);
    ASSERT_EQ(sheet_ask_sheetnames((scratch.host("a.xs4") + "::Prices").c_str(), &names, &count), 0);
    EXPECT_EQ(names_of(names, count), (std::vector<std::string>{"Sizes", "Prices"}));
    EXPECT_TRUE(vexa::sim::open_workbooks(port).empty());
    names = nullptr;
    EXPECT_NE(sheet_ask_sheetnames(scratch.host("missing.xls").c_str(), &names, &count), 0);
    EXPECT_EQ(names, nullptr);
}

TEST_F(Loading, StartingExcel)
{
    // XESS: nothing to do.
    EXPECT_EQ(CVSTVSHARE_xls_start(), 0);
    EXPECT_EQ(CVSTVSHARE_get_xls_port(), 0);
    EXPECT_TRUE(vexa::sim::journal().empty());

    // Excel not in the registry.
    vexa::sim::set_default_spreadsheet_excel(true);
    EXPECT_EQ(CVSTVSHARE_xls_start(), -1);
    EXPECT_EQ(CVSTVSHARE_get_xls_port(), -1);
    EXPECT_EQ(dialogs(),
              std::vector<std::string>{"Failed to find Microsoft Excel.\n Use XESS spreadsheet method."});
    EXPECT_EQ(vexa::sim::journal().back().severity, 3) << "information dialog";

    // Found through the third registry place; the add-in in XLStart is opened.
    vexa::sim::clear_journal();
    std::filesystem::create_directories(scratch.path("office/XLStart"));
    workbook::Workbook add_in;
    add_in.sheets.push_back({"Macros", {}});
    ASSERT_TRUE(workbook::write_workbook(scratch.path("office/XLStart/cavora_add_in.xla"), add_in).ok);
    vexa::sim::set_registry_value("HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Office",
                                  "Excel\\InstallRoot\\path", scratch.host("office"));
    EXPECT_EQ(CVSTVSHARE_xls_start(), 0);
    int port = CVSTVSHARE_get_xls_port();
    EXPECT_GE(port, 1) << "a port is created after a failure (-1)";
    EXPECT_EQ(vexa::sim::open_workbooks(port),
              std::vector<std::string>{scratch.host("office") + "\\XLStart\\cavora_add_in.xla"});
    EXPECT_TRUE(vexa::sim::journal().empty());

    // Progressive die: its own add-in, missing everywhere; the port stays.
    CVSTWSHARE_set_wizard_type(2);
    vexa::sim::set_env("STRIVO_DIR", scratch.host("no_kit"));
    EXPECT_EQ(CVSTVSHARE_xls_start(), 0);
    EXPECT_EQ(CVSTVSHARE_get_xls_port(), port);
    EXPECT_EQ(dialogs(),
              std::vector<std::string>{
                  "Failed to find cavora_add_in.xla.\n Copy the file into Excel XLStart directory."});

    // The port cannot be created.
    vexa::sim::clear_journal();
    CVSTVSHARE_set_xls_port(0);
    vexa::sim::fail_port_creation(1234);
    EXPECT_EQ(CVSTVSHARE_xls_start(), 1234);
    EXPECT_EQ(CVSTVSHARE_get_xls_port(), -1);
    EXPECT_EQ(dialogs().back(), "Failed to start Microsoft Excel.\n Use ODBC method.");
    vexa::sim::fail_port_creation(0);
}

TEST_F(Loading, AddInFromTheKitTemplates)
{
    vexa::sim::set_default_spreadsheet_excel(true);
    vexa::sim::set_registry_value("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Office", "BinDirPath",
                                  scratch.host("office"));
    std::filesystem::create_directories(scratch.path("kit/templates"));
    workbook::Workbook add_in;
    add_in.sheets.push_back({"Macros", {}});
    ASSERT_TRUE(workbook::write_workbook(scratch.path("kit/templates/cavora_add_in.xla"), add_in).ok);
    CVSTWSHARE_set_wizard_type(4); // electrodes use the mould-design kit
    vexa::sim::set_env("CAVORA_DIR", scratch.host("kit"));
    EXPECT_EQ(CVSTVSHARE_xls_start(), 0);
    EXPECT_EQ(vexa::sim::open_workbooks(CVSTVSHARE_get_xls_port()),
              std::vector<std::string>{scratch.host("kit") + "\\templates\\cavora_add_in.xla"});
    EXPECT_TRUE(dialogs().empty());
}

TEST_F(Loading, RegisterCheck)
{
    std::filesystem::create_directories(scratch.path("kit/pre_part"));
    std::filesystem::create_directories(scratch.path("kit/data"));
    vexa::sim::set_env("CAVORA_DIR", scratch.host("kit"));
    scratch.write("kit/pre_part/register.xs4",
                  "X::4.W!C2.1\nSn::1/MM\nSd::1\n"
                  "Tl@A1:\"L\"NAME\"\nTl@B1:\"L\"DIR\"\nTl@C1:\"L\"FILE\"\n"
                  "Tl@A2:\"L\"plates\"\nTl@B2:\"L\"/data\"\nTl@C2:\"L\"plates.xs4\"\n");
    EXPECT_EQ(CVSTVSHARE_check_database("/pre_part", "register.xls", "MM"), -1);
    EXPECT_EQ(message_boxes(), std::vector<std::string>{"Cannot find the data file: " + scratch.host("kit") +
                                                        "\\data\\plates.xs4"});

    vexa::sim::clear_journal();
    scratch.write("kit/data/plates.xs4", "X::4.W!A1.1\n");
    EXPECT_EQ(CVSTVSHARE_check_database("/pre_part", "register.xls", "MM"), 0);
    EXPECT_TRUE(vexa::sim::journal().empty());

    EXPECT_EQ(CVSTVSHARE_check_database("/pre_part", "missing.xs4", "MM"), -1);
    EXPECT_EQ(message_boxes(), std::vector<std::string>{"No register file found"});
    vexa::sim::clear_journal();
    EXPECT_EQ(CVSTVSHARE_check_database("/pre_part", "register.xs4", "INCH"), -1)
        << "reading status passed on";
}

// ---- The three methods on the example kit --------------------------------------

struct KitSheet {
    const char *sub_path;
    const char *workbook;
    const char *sheet;
};

const KitSheet kit_sheets[] = {
    {nullptr, "cv_material.xs4", nullptr},
    {nullptr, "thread_standard_dat.xls", "Metric"},
    {nullptr, "thread_standard_dat.xls", "Unified"},
    {"/standard/screws", "cap_screw.xls", "Steel"},
    {"/standard/screws", "cap_screw.xls", "Stainless"},
    {"/standard/screws", "cap_screw.xls", "Inch"},
};

// The table of one workbook path by each reader: the XESS text export beside
// it, the port, and ODBC (left empty when the driver is not registered).
struct ThreeTables {
    Cells xess, port, odbc;
    int xess_status = 0, port_status = 0, odbc_status = 0;
};

#ifdef CVSTV_ODBCSYSINI_DIR
constexpr bool odbc_registered = true;
#else
constexpr bool odbc_registered = false;
#endif

class ThreeReaders : public Loading {
  protected:
    void SetUp() override
    {
        Loading::SetUp();
#ifdef CVSTV_ODBCSYSINI_DIR
        setenv("ODBCSYSINI", CVSTV_ODBCSYSINI_DIR, 1);
#endif
    }

    ThreeTables read_three(const std::string &path)
    {
        ThreeTables t;
        vexa::sim::set_default_spreadsheet_excel(false);
        t.xess = read(path);
        t.xess_status = status;
        vexa::sim::set_default_spreadsheet_excel(true);
        t.port = read(path);
        t.port_status = status;
        if (odbc_registered) {
            sheet_release_memo(&table);
            t.odbc_status = GXDB_read_spreadsheet(path.c_str(), &table);
            t.odbc = t.odbc_status == 0 ? table_cells(table) : Cells{};
        }
        return t;
    }

    // Copies an independent workbook into the scratch directory and writes
    // the host spreadsheet's text export of it beside the copy; answers the
    // copy's host path.
    std::string with_export(const std::string &name)
    {
        std::string source = std::string(CVSTV_TEST_RESOURCES) + "/independent/" + name;
        std::filesystem::copy_file(source, scratch.path(name));
        workbook::Workbook book;
        auto read_status = workbook::read_workbook(source, book);
        EXPECT_TRUE(read_status) << read_status.error;
        std::string xs4 = name.substr(0, name.rfind('.')) + ".xs4";
        auto written = vexa::sim::write_xess(scratch.path(xs4), vexa::sim::xess_sheets_of(book));
        EXPECT_TRUE(written) << written.error;
        return scratch.host(name);
    }
};

TEST_F(ThreeReaders, KitWorkbooksGiveTheSameTable)
{
    for (const KitSheet &k : kit_sheets) {
        char resolved[257] = "";
        ASSERT_EQ(CVSTVSHARE_ask_mold_data_fspec(1, k.sub_path, k.workbook, resolved), 0);
        std::string path = std::string(resolved) + (k.sheet ? std::string("::") + k.sheet : "");
        SCOPED_TRACE(path);
        ThreeTables t = read_three(path);
        ASSERT_EQ(t.xess_status, 0);
        ASSERT_GT(t.xess.size(), 5u);
        EXPECT_EQ(t.port_status, 0);
        EXPECT_EQ(t.port, t.xess) << "through the port";
        EXPECT_EQ(t.odbc_status, 0);
        EXPECT_EQ(t.odbc, odbc_registered ? t.xess : Cells{}) << "through ODBC";
    }
    if (!odbc_registered)
        GTEST_SKIP() << "the workbook ODBC driver is not registered in this build";
}

// ---- Workbooks written by tools nobody here wrote ------------------------------
//
// tests/resources/independent holds workbooks written by python3-xlwt and by
// gnumeric's ssconvert (the script that made them lies beside them). Each
// sheet must read as the same table by all three readers, and that table is
// the one written here from what the generating script put in: texts holding
// the record separator and the empty-cell mark, quotes and non-ASCII
// letters, numbers, booleans, dates, formula results, empty cells
// and rows inside the used range, sheet names holding pattern characters.

struct IndependentSheet {
    const char *workbook;
    const char *sheet;
    Cells expected;
};

const IndependentSheet independent_sheets[] = {
    {"xlwt_catalogue.xls",
     "Cap screws",
     {{"SHEET_TYPE", "CAP_SCREW", "", "", "", "", ""},
      {"PARAMETERS", "", "", "", "", "", ""},
      {"D", "L", "PART_NUMBER", "NOTE", "PRICE \u20ac", "IN_STOCK", "SINCE"},
      {"8", "20", "SHCS-M8x20", "a|b", "0.42", "TRUE", "2024-03-15"},
      {"8", "25", "SHCS-M8x25", "^", "0.45", "FALSE", "1999-12-31"},
      {"10", "30", "Gr\u00f6\u00dfe \"10\"", "O'Brien", "0.3333333333333333", "FALSE", "1999-12-31"},
      {"12", "35", "\u65e5\u672c|^", "|", "123456789012", "TRUE", "2024-03-15 10:30:00"},
      {"-3", "0.1", "x^y", "\"", "1e-07", "TRUE", "2024-03-15 10:30:00"},
      {"END", "", "", "", "", "", ""}}},
    {"xlwt_catalogue.xls", "M110", {{"WRONG_A", "WRONG_B", "WRONG_C"}, {"1", "2", "3"}}},
    {"xlwt_catalogue.xls", "M_10", {{"SIZE", "PITCH", "NOTE"}, {"10", "1.5", ""}, {"10", "1.25", ""}}},
    {"xlwt_catalogue.xls", "Rate%1", {{"RATE", "UNIT"}, {"0.5", "%"}}},
    {"xlwt_catalogue.xls", "Rate_21", {{"OTHER", "COLUMNS", "HERE"}, {"a", "b", "c"}}},
    {"xlwt_catalogue.xls", "Cost$2024", {{"ITEM", "COST"}, {"bolt", "0.07"}}},
    {"xlwt_catalogue.xls", "Offset sheet", {{"", "K", "", "V"}, {"", "a", "", "1"}, {"", "b", "", "2.5"}}},
    // Formula cells of a workbook that ssconvert recalculated: each reads as
    // its cached result (a number, a text, a boolean).
    {"gnumeric_formulas.xls",
     "Sum_A",
     {{"A", "B", "TOTAL", "LABEL", "BIGGER", "ON_HAND"},
      {"2", "0.5", "2.5", "x|2", "TRUE", "TRUE"},
      {"3", "4", "12", "y^4", "FALSE", "FALSE"},
      {"sum", "4", "14.5", "\u00e4 'q' \u00e9", "FALSE", "FALSE"}}},
    {"gnumeric_formulas.xls",
     "Sum%A",
     {{"WHEN", "NOTE"}, {"2023-01-02", "caf\u00e9 | \"quoted\""}, {"2023-01-03", "it's ^"}}},
};

TEST_F(ThreeReaders, IndependentWorkbooksGiveTheSameTable)
{
    std::string copied;
    for (const IndependentSheet &s : independent_sheets) {
        std::string path =
            (s.workbook == copied ? scratch.host(s.workbook) : with_export(s.workbook)) + "::" + s.sheet;
        copied = s.workbook;
        SCOPED_TRACE(path);
        ThreeTables t = read_three(path);
        EXPECT_EQ(t.xess_status, 0);
        EXPECT_EQ(t.xess, s.expected) << "the XESS text export";
        EXPECT_EQ(t.port_status, 0);
        EXPECT_EQ(t.port, s.expected) << "through the port";
        if (odbc_registered) {
            EXPECT_EQ(t.odbc_status, 0);
            EXPECT_EQ(t.odbc, s.expected) << "through ODBC";
        }
    }
    if (!odbc_registered)
        GTEST_SKIP() << "the workbook ODBC driver is not registered in this build";
}

TEST_F(ThreeReaders, AMissingSheetIsMinusOneByEveryReader)
{
    std::string path = with_export("xlwt_catalogue.xls") + "::No such sheet";
    ThreeTables t = read_three(path);
    EXPECT_EQ(t.xess_status, -1) << "the XESS text export";
    EXPECT_EQ(t.port_status, -1) << "through the port";
    if (odbc_registered) {
        EXPECT_EQ(t.odbc_status, -1) << "through ODBC";
    }
    EXPECT_EQ(table.rows, nullptr);
}

TEST_F(ThreeReaders, IndependentWorkbooksListTheSameSheets)
{
    const std::vector<std::string> sheets = {"Cap screws", "M110",      "M_10",        "Rate%1",
                                             "Rate_21",    "Cost$2024", "Offset sheet"};
    std::string path = with_export("xlwt_catalogue.xls");
    char **names = nullptr;
    int count = 0;
    ASSERT_EQ(sheet_ask_sheetnames(scratch.host("xlwt_catalogue.xs4").c_str(), &names, &count), 0);
    EXPECT_EQ(names_of(names, count), sheets) << "the XESS text export";

    vexa::sim::set_default_spreadsheet_excel(true);
    int port = 0;
    ASSERT_EQ(HX_SS_create_port(&port), 0);
    CVSTVSHARE_set_xls_port(port);
    ASSERT_EQ(sheet_ask_sheetnames(path.c_str(), &names, &count), 0);
    EXPECT_EQ(names_of(names, count), sheets) << "through the port";

    if (!odbc_registered)
        GTEST_SKIP() << "the workbook ODBC driver is not registered in this build";
    ASSERT_EQ(GXDB_read_sheetnames(path.c_str(), &names, &count), 0);
    std::vector<std::string> listed = names_of(names, count);
    std::sort(listed.begin(), listed.end());
    std::vector<std::string> sorted = sheets;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(listed, sorted) << "through ODBC (in the driver's order)";
}

TEST_F(Loading, KitLookUpEndToEnd)
{
    // The material list as the material look-up reads it, then a screw.
    char path[257] = "";
    ASSERT_EQ(CVSTVSHARE_ask_mold_data_fspec(1, nullptr, "cv_material.xs4", path), 0);
    read(path);
    ASSERT_EQ(status, 0);
    char **values = nullptr;
    int distinct = 0;
    EXPECT_EQ(sheet_search_record(&table, "MATERIAL==PA66", &values, &distinct), 1);
    ASSERT_EQ(distinct, 1);
    EXPECT_STREQ(values[0], "1.015");
    kt_free_str_list(&values);
    char value[SHEET_VALUE_SIZE] = "";
    ASSERT_EQ(sheet_ask_field_value(&table, "FAMILY", value), 0);
    EXPECT_STREQ(value, "Polyamides") << "filled down from PA6";

    ASSERT_EQ(CVSTVSHARE_ask_mold_data_fspec(1, "/standard/screws", "cap_screw.xls", path), 0);
    read(std::string(path) + "::Steel");
    ASSERT_EQ(status, 0);
    // Two conditions, the last not "=": the values are the lengths (column 1).
    EXPECT_EQ(sheet_search_record(&table, "D==8 && L>=20", &values, &distinct), 12);
    EXPECT_EQ(names_of(values, distinct), (std::vector<std::string>{"20", "25", "30", "35", "40", "45", "50",
                                                                    "55", "60", "65", "70", "80"}));
    ASSERT_EQ(sheet_ask_field_value(&table, "PART_NUMBER", value), 0);
    EXPECT_STREQ(value, "SHCS129-M8x20");
    ASSERT_EQ(sheet_ask_field_value(&table, "DK", value), 0);
    EXPECT_STREQ(value, "13");
    char bitmap[SHEET_BITMAP_SIZE] = "";
    ASSERT_EQ(sheet_ask_bitmap(&table, bitmap), 0);
    EXPECT_STREQ(bitmap, "shcs_iso4762.bmp");
}

} // namespace

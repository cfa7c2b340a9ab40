// The automation back end of the workbook database: with a spreadsheet port
// open, connecting opens the workbook in the port, and with a workbook handle
// from the read-write connect the sheet-changing functions edit the workbook
// through the host's tooling utilities; the file changes when the handle is
// closed.
#include "host_test.h"
#include "gxdb_test_support.h"

#include "cvstvshare/sheet_gxdb.h"

#include "hx_spreadsheet.h"

#include <cstring>
#include <string>
#include <vector>

using namespace gxdb_test;
using Strings = std::vector<std::string>;

namespace {

class GxdbAutomation : public HostTest {
  protected:
    void SetUp() override
    {
        HostTest::SetUp();
        ASSERT_EQ(HX_SS_create_port(&port_), HX_OK);
        CVSTVSHARE_set_xls_port(port_);
    }

    // The cells of a sheet as text ("" for empty cells).
    static std::vector<Strings> cells(const workbook::Sheet &s)
    {
        std::vector<Strings> out;
        for (const auto &row : s.rows) {
            Strings texts;
            for (const auto &c : row)
                texts.push_back(c.as_text());
            while (!texts.empty() && texts.back().empty())
                texts.pop_back();
            out.push_back(texts);
        }
        return out;
    }

    ScratchDir dir_{"gxdb_auto"};
    int port_ = 0;
};

} // namespace

TEST_F(GxdbAutomation, PortStateIsOneProcessWideValueAndTheReadMethodIsZero)
{
    EXPECT_EQ(CVSTVSHARE_get_xls_port(), port_);
    CVSTVSHARE_set_xls_port(-1);
    EXPECT_EQ(CVSTVSHARE_get_xls_port(), -1);
    EXPECT_EQ(CVSTVSHARE_get_xls_read_method(), 0);
}

TEST_F(GxdbAutomation, ConnectOpensTheWorkbookInThePortAndListsItsSheets)
{
    std::string path = dir_.write("book.xls", {sheet("Screws", {{T("D")}}), sheet("Nuts", {{T("D")}})});
    ASSERT_EQ(GXDB_Connect(path.c_str()), 0);
    EXPECT_EQ(vexa::sim::open_workbooks(port_), (Strings{path}));

    int count = 0;
    char **names = nullptr;
    ASSERT_EQ(GXDB_Query_Table_Names(&count, &names), 0);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(take_list(names), (Strings{"Screws", "Nuts"})) << "sheet names, without \"$\"";

    EXPECT_EQ(GXDB_Disconnect(), 0);
    EXPECT_EQ(vexa::sim::open_workbooks(port_), (Strings{path}))
        << "a plain disconnect does nothing in automation";
    EXPECT_EQ(GXDB_Disconnect_RW_Mode(path.c_str(), 0), 0);
    EXPECT_TRUE(vexa::sim::open_workbooks(port_).empty());

    EXPECT_EQ(GXDB_Connect(dir_.host("missing.xls").c_str()), HX_ERR_NOT_FOUND) << "the host's status";
    EXPECT_TRUE(vexa::sim::texts(vexa::sim::Entry::listing).empty()) << "no ODBC message in automation";
}

TEST_F(GxdbAutomation, ReadWriteConnectEditsSheetsThroughTheWorkbookHandle)
{
    std::string path = dir_.write("register.xls", {sheet("Old", {{T("A")}}), sheet("Gone", {{T("B")}}),
                                                   sheet("Full", {{T("K")}, {I(1)}, {I(2)}})});
    ASSERT_EQ(GXDB_Connect_RW_Mode(path.c_str(), 1), 0);
    EXPECT_TRUE(vexa::sim::open_workbooks(port_).empty()) << "read-write goes through the tooling utilities";

    char table[32] = "Prices$";
    sGXDB_Field fields[] = {field("PART", "text", 50, 1), field("^", "text"), field("PRICE", "number")};
    ASSERT_EQ(GXDB_Create_Table(table, 3, fields), 0);
    EXPECT_STREQ(table, "Prices") << "the caller's name loses its \"$\" too";

    sGXDB_Field_Value values[] = {text("007"), text(""), real(2.5)};
    ASSERT_EQ(GXDB_Add_Record("Prices", 3, fields, values), 0);
    EXPECT_STREQ(values[0].value.s, "'007") << "text values are marked in place";
    EXPECT_STREQ(values[1].value.s, "") << "an empty text is not marked";
    EXPECT_EQ(GXDB_Add_Blank_Record("Prices", 3), 0);
    sGXDB_Field_Value second[] = {text("12"), integer(4), integer(7)};
    ASSERT_EQ(GXDB_Add_Record("Prices", 3, nullptr, second), 0);

    EXPECT_EQ(GXDB_Change_Table_Names("Old", "Renamed"), 0);
    EXPECT_EQ(GXDB_Delete_Table("Gone"), 0);
    EXPECT_EQ(GXDB_Delete_All_Record("Full"), 0);
    EXPECT_EQ(GXDB_Delete_Table("NoSuchSheet"), -1);

    int count = 0;
    char **names = nullptr;
    ASSERT_EQ(GXDB_Query_Table_Names(&count, &names), 0);
    EXPECT_EQ(take_list(names), (Strings{"Renamed", "Full", "Prices"}));

    EXPECT_EQ(dir_.read("register.xls").sheets.size(), 3u) << "the file changes when the handle closes";
    ASSERT_EQ(GXDB_Disconnect_RW_Mode(path.c_str(), 1), 0);

    workbook::Workbook book = dir_.read("register.xls");
    ASSERT_EQ(book.sheets.size(), 3u);
    EXPECT_EQ(book.sheets[0].name, "Renamed");
    EXPECT_EQ(cells(book.sheets[1]), (std::vector<Strings>{{"K"}}));
    EXPECT_EQ(book.sheets[2].name, "Prices");
    EXPECT_EQ(cells(book.sheets[2]),
              (std::vector<Strings>{{"PART", "", "PRICE"}, {"007", "", "2.5"}, {}, {"12", "4", "7"}}));
    EXPECT_EQ(book.sheets[2].cell(1, 0)->type, workbook::CellType::text) << "\"'007\" stays text";
    EXPECT_EQ(book.sheets[2].cell(3, 0)->type, workbook::CellType::text) << "\"'12\" stays text";
}

TEST_F(GxdbAutomation, MarkedTextIsCutAtItsLimit)
{
    std::string path = dir_.write("book.xls", {sheet("S", {{T("K")}})});
    ASSERT_EQ(GXDB_Connect_RW_Mode(path.c_str(), 1), 0);
    sGXDB_Field_Value values[] = {text(std::string(135, 'x'))};
    ASSERT_EQ(GXDB_Add_Record("S", 1, nullptr, values), 0);
    EXPECT_EQ(std::strlen(values[0].value.s), 132u);
    EXPECT_EQ(values[0].value.s[0], '\'');
    ASSERT_EQ(GXDB_Disconnect_RW_Mode(path.c_str(), 1), 0);
    EXPECT_EQ(dir_.read("book.xls").sheets[0].cell(1, 0)->text, std::string(131, 'x'));
}

TEST_F(GxdbAutomation, WithoutAWorkbookHandleSheetChangesAndRecordStatementsNeedODBC)
{
    std::string path = dir_.write("book.xls", {sheet("S", {{T("K"), T("V")}, {I(1), I(2)}})});
    ASSERT_EQ(GXDB_Connect(path.c_str()), 0);
    char table[8] = "T";
    sGXDB_Field fields[] = {field("K"), field("V")};
    sGXDB_Field_Value values[] = {integer(1), integer(3)};
    // No ODBC connection exists: every statement is refused, nothing crashes.
    EXPECT_EQ(GXDB_Create_Table(table, 2, fields), -1);
    EXPECT_EQ(GXDB_Add_Record("S", 2, fields, values), -1);
    EXPECT_EQ(GXDB_Delete_All_Record("S"), -1);
    EXPECT_EQ(GXDB_Update_Record("S", 2, 1, fields, values), -1);
    EXPECT_EQ(GXDB_Query_Record("S", 2, 1, fields, values), -1);
    EXPECT_EQ(GXDB_Delete_Record("S", 1, fields, values), -1);
    EXPECT_EQ(dir_.read("book.xls").sheets[0].rows.size(), 2u);
    EXPECT_EQ(GXDB_Disconnect_RW_Mode(path.c_str(), 0), 0);
}

TEST_F(GxdbAutomation, AFailedPortLeavesTheFunctionsOnODBC)
{
    CVSTVSHARE_set_xls_port(-1);
    std::string missing = dir_.host("none.xls");
    EXPECT_EQ(GXDB_Connect(missing.c_str()), -100) << "the ODBC connect checks the file first";
    EXPECT_EQ(vexa::sim::listing_text(), "\nCannot find data source file: " + missing + "\n");
    EXPECT_TRUE(vexa::sim::open_workbooks(port_).empty());
}

// The SQL catalogue users write: comparisons, AND/OR/NOT, LIKE, IN,
// BETWEEN, IS NULL, ORDER BY and aggregates; the name-row options; column
// names that would clash; and the small things (empty sheets, the only
// sheet, comments, texts that look like numbers, older workbooks).
#include "odbc_client.h"

#include <filesystem>

using workbook::Cell;

namespace {

// D, L, NAME and NOTE of six parts, one with no L.
void write_sizes_workbook(const std::string &path)
{
    workbook::Workbook book;
    book.sheets.push_back({"Sizes", {}});
    auto &rows = book.sheets[0].rows;
    rows.push_back(
        {Cell::make_text("D"), Cell::make_text("L"), Cell::make_text("NAME"), Cell::make_text("NOTE")});
    rows.push_back(
        {Cell::make_integer(8), Cell::make_integer(12), Cell::make_text("bolt-a"), Cell::make_text("x")});
    rows.push_back(
        {Cell::make_integer(8), Cell::make_integer(20), Cell::make_text("Bolt-B"), Cell::make_text("0x3")});
    rows.push_back({Cell::make_integer(8), Cell::make_real(25.5), Cell::make_text("bolt_c")});
    rows.push_back({Cell::make_integer(10), Cell::make_text("30"), Cell::make_text("nut")});
    rows.push_back({Cell::make_integer(10), Cell{}, Cell::make_text("washer 100%")});
    rows.push_back(
        {Cell::make_integer(12), Cell::make_integer(40), Cell::make_text("pin"), Cell::make_text("3")});
    ASSERT_TRUE(workbook::write_workbook(path, book).ok);
}

class OdbcSql : public testing::Test {
  protected:
    void SetUp() override
    {
        write_sizes_workbook(dir.file("sizes.xls"));
        ASSERT_EQ(c.connect(library_connection_string(dir.file("sizes.xls"))), SQL_SUCCESS);
    }
    std::vector<std::string> names(const std::string &where)
    {
        std::vector<std::string> out;
        for (const Row &r : c.query("SELECT NAME FROM Sizes " + where))
            out.push_back(r.at(0).value_or("NULL"));
        return out;
    }
    ScratchDir dir;
    OdbcClient c;
};

using Names = std::vector<std::string>;

} // namespace

TEST_F(OdbcSql, ComparisonsTreatNumbersAsNumbersAndTextsAsTexts)
{
    EXPECT_EQ(names("WHERE D = 8 AND L >= 20"), (Names{"Bolt-B", "bolt_c"}));
    EXPECT_EQ(names("WHERE L > 25"), (Names{"bolt_c", "nut", "pin"})) << "the text '30' holds a number";
    EXPECT_EQ(names("WHERE L < 20"), (Names{"bolt-a"}));
    EXPECT_EQ(names("WHERE L <= 20.0"), (Names{"bolt-a", "Bolt-B"}));
    EXPECT_EQ(names("WHERE D <> 8"), (Names{"nut", "washer 100%", "pin"}));
    EXPECT_EQ(names("WHERE D != 8 AND NOT D = 12"), (Names{"nut", "washer 100%"}));
    EXPECT_EQ(names("WHERE NAME > 'NUT'"), (Names{"washer 100%", "pin"})) << "texts ignore ASCII case";
    EXPECT_EQ(names("WHERE (D = 12 OR D = 10) AND L IS NOT NULL"), (Names{"nut", "pin"}));
    EXPECT_EQ(names("WHERE L IS NULL"), (Names{"washer 100%"}));
    EXPECT_EQ(names("WHERE D = 8 OR D = 10 AND L = 30"), (Names{"bolt-a", "Bolt-B", "bolt_c", "nut"}))
        << "AND binds before OR";
    EXPECT_EQ(names("WHERE NOT L > 20"), (Names{"bolt-a", "Bolt-B"})) << "NOT of NULL is not true";
    EXPECT_EQ(names("WHERE D IN (10, 12)"), (Names{"nut", "washer 100%", "pin"}));
    EXPECT_EQ(names("WHERE D NOT IN (8, 10)"), (Names{"pin"}));
    EXPECT_EQ(names("WHERE L BETWEEN 20 AND 30"), (Names{"Bolt-B", "bolt_c", "nut"}));
    EXPECT_EQ(names("WHERE NOTE = '0x3'"), (Names{"Bolt-B"}));
    EXPECT_EQ(names("WHERE NOTE = 3"), (Names{"pin"})) << "'0x3' is text, not the number 3";
}

TEST_F(OdbcSql, LikeMatchesPercentAndUnderscoreWithAnEscape)
{
    EXPECT_EQ(names("WHERE NAME LIKE 'bolt%'"), (Names{"bolt-a", "Bolt-B", "bolt_c"}));
    EXPECT_EQ(names("WHERE NAME LIKE 'bolt!_%' ESCAPE '!'"), (Names{"bolt_c"}));
    EXPECT_EQ(names("WHERE NAME LIKE '_u_'"), (Names{"nut"}));
    EXPECT_EQ(names("WHERE NAME LIKE '%!%' ESCAPE '!'"), (Names{"washer 100%"}));
    EXPECT_EQ(names("WHERE NAME NOT LIKE '%o%'"), (Names{"nut", "washer 100%", "pin"}));
}

TEST_F(OdbcSql, OrderByAndAggregates)
{
    EXPECT_EQ(names("ORDER BY D DESC, NAME"),
              (Names{"pin", "nut", "washer 100%", "bolt-a", "Bolt-B", "bolt_c"}));
    EXPECT_EQ(c.query("SELECT NAME FROM Sizes WHERE D = 8 ORDER BY L DESC"),
              (Rows{row({"bolt_c"}), row({"Bolt-B"}), row({"bolt-a"})}));
    EXPECT_EQ(c.query("SELECT COUNT(*), COUNT(L), MIN(L), MAX(D), SUM(D), AVG(D) FROM Sizes"),
              (Rows{row({"6", "5", "12", "12", "56", "9.333333333333334"})}));
    EXPECT_EQ(c.query("SELECT COUNT(*) FROM Sizes WHERE D = 99"), Rows{row({"0"})});
    EXPECT_EQ(c.query("SELECT MAX(L), SUM(L) FROM Sizes WHERE D = 99"), (Rows{row({nullptr, nullptr})}));
    EXPECT_EQ(c.exec("SELECT SUM(NAME) FROM Sizes"), SQL_ERROR);
    EXPECT_EQ(c.state(), "22018");

    ASSERT_EQ(c.exec("SELECT COUNT(*) AS n, D AS diameter FROM Sizes"), SQL_ERROR) << "no GROUP BY";
    ASSERT_EQ(c.exec("SELECT D AS diameter FROM Sizes WHERE NAME='pin'"), SQL_SUCCESS);
    char name[32] = {};
    SQLDescribeCol(c.stmt, 1, (SQLCHAR *)name, sizeof name, nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_STREQ(name, "diameter");
    SQLCloseCursor(c.stmt);
}

TEST_F(OdbcSql, CommentsAreAccepted)
{
    EXPECT_EQ(c.query("SELECT NAME -- the name\nFROM Sizes /* all of\nthem */ WHERE D = 12;"),
              Rows{row({"pin"})});
}

// Catalogue sheets start with keyword rows; HEADERROW takes the names from
// a given row, or from the row after PARAMETERS with the catalogue's
// comments and fill-down.
TEST(OdbcHeaderRow, CatalogueSheetsOfTheExampleKit)
{
    const std::string kit =
        std::string(CVSTV_BINARY_DIR) + "/examples/kit/cavora/standard/screws/cap_screw.xls";
    ASSERT_TRUE(std::filesystem::exists(kit)) << kit;
    ScratchDir dir;
    const std::string path = dir.file("cap_screw.xls");
    std::filesystem::copy_file(kit, path);
    const std::string base = std::string("DRIVER={") + driver_name() + "};DBQ=" + path;

    OdbcClient c;
    ASSERT_EQ(c.connect(base + ";HEADERROW=PARAMETERS"), SQL_SUCCESS) << c.message(SQL_HANDLE_DBC);
    const Rows m8 = c.query("SELECT PART_NUMBER FROM [Steel$] WHERE D = 8 AND L >= 20");
    Rows expected;
    for (const char *l : {"20", "25", "30", "35", "40", "45", "50", "55", "60", "65", "70", "80"})
        expected.push_back(row({(std::string("SHCS129-M8x") + l).c_str()}));
    EXPECT_EQ(m8, expected) << "D is filled down to every M8 length, comments cut";
    EXPECT_EQ(c.query("SELECT COUNT(*) FROM [Steel$] WHERE D = 7"), Rows{row({"0"})})
        << "the // row is a comment";
    EXPECT_EQ(c.query("SELECT P, DK FROM [Steel$] WHERE PART_NUMBER = 'SHCS129-M3x10'"),
              (Rows{row({"0.5", "5.5"})}));
    EXPECT_EQ(c.exec("DELETE FROM [Steel$] WHERE D = 8"), SQL_ERROR) << "a derived view cannot be changed";
    EXPECT_EQ(c.state(), "HY000");

    OdbcClient fixed;
    ASSERT_EQ(fixed.connect(base + ";HEADERROW=6"), SQL_SUCCESS);
    EXPECT_EQ(fixed.query("SELECT L FROM [Steel$] WHERE PART_NUMBER = 'SHCS129-M3x5'"), Rows{row({"5"})});
    EXPECT_EQ(fixed.query("SELECT COUNT(*) FROM [Steel$] WHERE D = 8"), Rows{row({"1"})}) << "no fill-down";
}

TEST(OdbcColumnNames, GeneratedAndDuplicateNamesNeverClash)
{
    ScratchDir dir;
    const std::string path = dir.file("names.xls");
    workbook::Workbook book;
    book.sheets.push_back({"T", {}});
    book.sheets[0].rows = {{Cell::make_text("F2"), Cell{}, Cell::make_text("NAME"), Cell::make_text("NAME"),
                            Cell::make_text("name"), Cell::make_text("NAME_2")},
                           {Cell::make_integer(1), Cell::make_integer(2), Cell::make_integer(3),
                            Cell::make_integer(4), Cell::make_integer(5), Cell::make_integer(6)}};
    ASSERT_TRUE(workbook::write_workbook(path, book).ok);
    OdbcClient c;
    ASSERT_EQ(c.connect(library_connection_string(path)), SQL_SUCCESS);
    ASSERT_EQ(c.exec("SELECT * FROM T"), SQL_SUCCESS);
    std::vector<std::string> got;
    for (SQLUSMALLINT i = 1; i <= 6; ++i) {
        char name[32] = {};
        SQLDescribeCol(c.stmt, i, (SQLCHAR *)name, sizeof name, nullptr, nullptr, nullptr, nullptr, nullptr);
        got.push_back(name);
    }
    SQLCloseCursor(c.stmt);
    EXPECT_EQ(got, (std::vector<std::string>{"F2", "F2_2", "NAME", "NAME_3", "name_4", "NAME_2"}));
    EXPECT_EQ(c.query("SELECT F2, F2_2, NAME, NAME_3, name_4, NAME_2 FROM T"),
              (Rows{row({"1", "2", "3", "4", "5", "6"})}))
        << "every column reachable by its name";
}

TEST(OdbcSmallThings, EmptySheetsOnlySheetsAndOlderWorkbooks)
{
    ScratchDir dir;
    const std::string path = dir.file("small.xls");
    workbook::Workbook book;
    book.sheets.push_back({"Empty", {}});
    ASSERT_TRUE(workbook::write_workbook(path, book).ok);
    OdbcClient c;
    ASSERT_EQ(c.connect(library_connection_string(path)), SQL_SUCCESS);
    ASSERT_EQ(c.exec("SELECT * FROM Empty"), SQL_SUCCESS);
    SQLSMALLINT columns = 0;
    SQLNumResultCols(c.stmt, &columns);
    EXPECT_EQ(columns, 1) << "an empty sheet still has a (generated) column";
    EXPECT_EQ(SQLFetch(c.stmt), SQL_NO_DATA);
    SQLCloseCursor(c.stmt);

    EXPECT_EQ(c.exec("DROP TABLE Empty"), SQL_ERROR);
    EXPECT_EQ(c.state(), "HY000");
    EXPECT_NE(c.message().find("only sheet"), std::string::npos) << c.message();
    workbook::Workbook back;
    ASSERT_TRUE(workbook::read_workbook(path, back).ok);
    ASSERT_EQ(back.sheets.size(), 1u);
    EXPECT_EQ(back.sheets[0].name, "Empty");

    OdbcClient old;
    const std::string biff5 = std::string(CVSTV_SOURCE_DIR) + "/tests/resources/workbook/gnumeric_biff7.xls";
    EXPECT_EQ(old.connect(std::string("DRIVER={") + driver_name() + "};DBQ=" + biff5), SQL_ERROR);
    EXPECT_EQ(old.connect_state, "08001");
    EXPECT_NE(old.message(SQL_HANDLE_DBC).find("Excel 5.0/95 (BIFF5) workbooks are not read"),
              std::string::npos)
        << old.message(SQL_HANDLE_DBC);
}

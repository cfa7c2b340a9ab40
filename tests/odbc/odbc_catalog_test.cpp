// Catalog calls: worksheets as tables "Name$", their columns, and the
// catalog name that the workbook library turns back into the file name.
#include "odbc_client.h"

namespace {

Rows tables(OdbcClient &c, const char *pattern = nullptr, const char *types = nullptr)
{
    EXPECT_EQ(SQLTables(c.stmt, nullptr, 0, nullptr, 0, (SQLCHAR *)pattern, pattern ? SQL_NTS : 0,
                        (SQLCHAR *)types, types ? SQL_NTS : 0),
              SQL_SUCCESS);
    return c.fetch_all();
}

Rows columns(OdbcClient &c, const char *table)
{
    EXPECT_EQ(SQLColumns(c.stmt, nullptr, 0, nullptr, 0, (SQLCHAR *)table, SQL_NTS, nullptr, 0), SQL_SUCCESS);
    return c.fetch_all();
}

} // namespace

TEST(OdbcCatalog, EveryWorksheetIsATableWithATrailingDollar)
{
    ScratchDir dir;
    const std::string path = dir.file("parts.xls");
    write_parts_workbook(path);
    OdbcClient c;
    ASSERT_EQ(c.connect(library_connection_string(path)), SQL_SUCCESS);

    const Rows all = tables(c);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0], row({dir.file("parts").c_str(), nullptr, "Other$", "TABLE", nullptr}));
    EXPECT_EQ(all[1], row({dir.file("parts").c_str(), nullptr, "Parts$", "TABLE", nullptr}));

    EXPECT_EQ(tables(c, "P%").size(), 1u);
    EXPECT_EQ(tables(c, "%", "'TABLE','VIEW'").size(), 2u);
    EXPECT_TRUE(tables(c, "%", "VIEW").empty());

    SQLSMALLINT n = 0;
    ASSERT_EQ(SQLTables(c.stmt, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0), SQL_SUCCESS);
    SQLNumResultCols(c.stmt, &n);
    EXPECT_EQ(n, 5);
    char name[32];
    SQLDescribeCol(c.stmt, 3, (SQLCHAR *)name, sizeof name, nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_STREQ(name, "TABLE_NAME");
    SQLCloseCursor(c.stmt);
}

TEST(OdbcCatalog, ColumnsComeFromTheHeaderWithGeneratedNamesForEmptyCells)
{
    ScratchDir dir;
    const std::string path = dir.file("parts.xls");
    write_parts_workbook(path);
    std::string host_path = path;
    std::replace(host_path.begin(), host_path.end(), '/', '\\');
    OdbcClient c;
    ASSERT_EQ(c.connect(library_connection_string(host_path)), SQL_SUCCESS) << c.message(SQL_HANDLE_DBC);

    const Rows cols = columns(c, "Parts$");
    ASSERT_EQ(cols.size(), 4u);
    const std::string catalog = host_path.substr(0, host_path.size() - 4);
    EXPECT_EQ(cols[0][0], catalog) << "TABLE_CAT is the workbook as named, without .xls";
    EXPECT_EQ(cols[0][2], "Parts$");
    EXPECT_EQ((Row{cols[0][3], cols[1][3], cols[2][3], cols[3][3]}), row({"NAME", "QTY", "F3", "DIA"}));
    EXPECT_EQ(cols[0][4], std::to_string(SQL_VARCHAR));
    EXPECT_EQ(cols[1][4], std::to_string(SQL_DOUBLE)) << "a column of numbers";
    EXPECT_EQ(cols[3][16], "4") << "ORDINAL_POSITION";
    EXPECT_EQ(cols[0].size(), 18u);

    EXPECT_EQ(columns(c, "Parts").size(), 4u) << "the sheet name alone finds the table";
    EXPECT_TRUE(columns(c, "Nothing$").empty());
}

TEST(OdbcCatalog, WithoutAHeaderRowEveryColumnIsGenerated)
{
    ScratchDir dir;
    const std::string path = dir.file("parts.xls");
    write_parts_workbook(path);
    OdbcClient c;
    ASSERT_EQ(c.connect(std::string("DRIVER={") + driver_name() + "};DBQ=" + path + ";FIRSTROWHASNAMES=0"),
              SQL_SUCCESS);
    const Rows cols = columns(c, "Parts$");
    ASSERT_EQ(cols.size(), 4u);
    EXPECT_EQ((Row{cols[0][3], cols[1][3], cols[2][3], cols[3][3]}), row({"F1", "F2", "F3", "F4"}));
    EXPECT_EQ(c.query("SELECT F1 FROM [Parts$]"), (Rows{row({"NAME"}), row({"bolt"}), row({"nut"})}));
}

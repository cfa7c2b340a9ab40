// Connecting: the connection string as the workbook library writes it and its
// variants, workbook creation, and workbooks that cannot be opened.
#include "odbc_client.h"

#include <filesystem>

TEST(OdbcConnect, TheLibraryConnectionStringOpensTheWorkbook)
{
    ScratchDir dir;
    const std::string path = dir.file("parts.xls");
    write_parts_workbook(path);
    OdbcClient c;
    ASSERT_EQ(c.connect(library_connection_string(path)), SQL_SUCCESS) << c.message(SQL_HANDLE_DBC);
    EXPECT_EQ(c.query("SELECT NAME FROM `Parts$`").size(), 2u);
}

TEST(OdbcConnect, ValuesInBracesQuotesAndHostPathsWithBackslashes)
{
    ScratchDir dir;
    const std::string path = dir.file("my parts; v2.xls");
    write_parts_workbook(path);
    std::string backslashed = path;
    std::replace(backslashed.begin(), backslashed.end(), '/', '\\');

    for (const std::string &cs : {
             std::string("driver={") + driver_name() + "};dbq={" + path + "}",
             std::string("DRIVER={") + driver_name() + "}; DBQ=\"" + backslashed + "\" ;READONLY=0",
             std::string("DRIVER={CVSTV XLS Workbook Driver};DBQ={" + backslashed +
                         "};FIRSTROWHASNAMES=TRUE"),
         }) {
        OdbcClient c;
        ASSERT_TRUE(SQL_SUCCEEDED(c.connect(cs))) << cs << ": " << c.message(SQL_HANDLE_DBC);
        EXPECT_EQ(c.query("SELECT QTY FROM Parts WHERE NAME='nut'"), Rows{row({"12"})}) << cs;
    }
}

TEST(OdbcConnect, CreateDbMakesAMissingWorkbookAndLeavesAnExistingOneAlone)
{
    ScratchDir dir;
    const std::string fresh = dir.file("fresh.xls");
    {
        OdbcClient c;
        ASSERT_EQ(c.connect(library_connection_string(fresh)), SQL_SUCCESS) << c.message(SQL_HANDLE_DBC);
        EXPECT_TRUE(std::filesystem::exists(fresh));
        EXPECT_EQ(c.exec("CREATE TABLE [Log] (WHO text(20), N number)"), SQL_SUCCESS) << c.message();
    }
    const std::string existing = dir.file("parts.xls");
    write_parts_workbook(existing);
    const std::string before = slurp(existing);
    {
        OdbcClient c;
        ASSERT_EQ(c.connect(library_connection_string(existing)), SQL_SUCCESS);
    }
    EXPECT_EQ(slurp(existing), before);
}

TEST(OdbcConnect, UnopenableWorkbooksFailWithASqlState)
{
    ScratchDir dir;
    spew(dir.file("text.xls"), "NAME;QTY\nbolt;3\n");
    write_parts_workbook(dir.file("good.xls"));
    spew(dir.file("cut.xls"), slurp(dir.file("good.xls")).substr(0, 2000));
    spew(dir.file("empty.xls"), "");

    for (const char *name : {"missing.xls", "text.xls", "cut.xls", "empty.xls"}) {
        OdbcClient c;
        const std::string cs = std::string("DRIVER={") + driver_name() + "};DBQ=" + dir.file(name);
        EXPECT_EQ(c.connect(cs), SQL_ERROR) << name;
        EXPECT_EQ(c.state(SQL_HANDLE_DBC), "08001") << name;
        EXPECT_NE(c.message(SQL_HANDLE_DBC).find(dir.file(name)), std::string::npos)
            << c.message(SQL_HANDLE_DBC);
    }
    OdbcClient c;
    EXPECT_EQ(c.connect(std::string("DRIVER={") + driver_name() + "};READONLY=1"), SQL_ERROR);
    EXPECT_EQ(c.state(SQL_HANDLE_DBC), "08001");
}

TEST(OdbcConnect, UnknownKeysAreWarningsButValuesNotUnderstoodRefuseTheConnection)
{
    ScratchDir dir;
    const std::string path = dir.file("parts.xls");
    write_parts_workbook(path);
    const std::string before = slurp(path);
    const std::string base = std::string("DRIVER={") + driver_name() + "};DBQ=" + path;
    {
        OdbcClient c;
        EXPECT_EQ(c.connect(base + ";COLOUR=blue"), SQL_SUCCESS_WITH_INFO);
        EXPECT_EQ(c.connect_state, "01S00");
    }
    // A READONLY the driver does not understand must never leave the
    // workbook writable.
    for (const char *bad :
         {"READONLY=Y", "READONLY=T", "READONLY=2", "READONLY=perhaps", "FIRSTROWHASNAMES=yes please",
          "HEADERROW=0", "HEADERROW=first", "LOCKTIMEOUT=-1"}) {
        OdbcClient c;
        EXPECT_EQ(c.connect(base + ";" + bad), SQL_ERROR) << bad;
        EXPECT_EQ(c.connect_state, "HY024") << bad;
        EXPECT_NE(c.message(SQL_HANDLE_DBC).find(std::string(bad).substr(0, std::string(bad).find('='))),
                  std::string::npos)
            << c.message(SQL_HANDLE_DBC);
    }
    for (const char *good : {"READONLY=TRUE", "READONLY=yes", "READONLY=1", "READONLY=On"}) {
        OdbcClient c;
        ASSERT_EQ(c.connect(base + ";" + good), SQL_SUCCESS) << good;
        EXPECT_EQ(c.exec("DELETE FROM Other"), SQL_ERROR) << good;
        EXPECT_EQ(c.state(), "HY000");
    }
    EXPECT_EQ(slurp(path), before);
}

TEST(OdbcConnect, DriverFactsAnswerEveryInformationTheClientsAsk)
{
    ScratchDir dir;
    const std::string path = dir.file("facts.xls");
    write_parts_workbook(path);
    OdbcClient c;
    ASSERT_EQ(c.connect(library_connection_string(path)), SQL_SUCCESS);
    auto text = [&](SQLUSMALLINT type) {
        char buf[300] = {};
        SQLSMALLINT len = 0;
        EXPECT_EQ(SQLGetInfo(c.dbc, type, buf, sizeof buf, &len), SQL_SUCCESS) << type;
        return std::string(buf);
    };
    EXPECT_EQ(text(SQL_DATABASE_NAME), dir.file("facts"));
    EXPECT_EQ(text(SQL_DBMS_NAME), "XLS Workbook");
    EXPECT_EQ(text(SQL_DBMS_VER).substr(0, 10), "08.00.0000");
    EXPECT_EQ(text(SQL_DRIVER_NAME), "libcvstv_xls_odbc.so");
    EXPECT_EQ(text(SQL_DRIVER_VER), "01.00.0000");
    EXPECT_EQ(text(SQL_DRIVER_ODBC_VER), "03.00");
    EXPECT_EQ(text(SQL_SERVER_NAME), "workbook");
    EXPECT_EQ(text(SQL_DATA_SOURCE_NAME), "");
    EXPECT_EQ(text(SQL_DATA_SOURCE_READ_ONLY), "N");
    EXPECT_EQ(text(SQL_IDENTIFIER_QUOTE_CHAR), "`");
    SQLUSMALLINT small = 99;
    ASSERT_EQ(SQLGetInfo(c.dbc, SQL_ODBC_SQL_CONFORMANCE, &small, sizeof small, nullptr), SQL_SUCCESS);
    EXPECT_EQ(small, SQL_OSC_MINIMUM);
    ASSERT_EQ(SQLGetInfo(c.dbc, SQL_TXN_CAPABLE, &small, sizeof small, nullptr), SQL_SUCCESS);
    EXPECT_EQ(small, SQL_TC_ALL);
    SQLUINTEGER word = 0;
    ASSERT_EQ(SQLGetInfo(c.dbc, SQL_GETDATA_EXTENSIONS, &word, sizeof word, nullptr), SQL_SUCCESS);
    EXPECT_TRUE(word & SQL_GD_ANY_COLUMN);
    EXPECT_EQ(SQLGetInfo(c.dbc, 9999, &word, sizeof word, nullptr), SQL_ERROR);
    EXPECT_EQ(c.state(SQL_HANDLE_DBC), "HY096");
}

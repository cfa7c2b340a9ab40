// What goes wrong gets the SQLSTATE a client can act on, and the cursor
// states the driver manager leaves to the driver are answered correctly.
#include "odbc_client.h"

class OdbcErrors : public testing::Test {
  protected:
    void SetUp() override
    {
        write_parts_workbook(dir.file("parts.xls"));
        ASSERT_EQ(c.connect(library_connection_string(dir.file("parts.xls"))), SQL_SUCCESS);
    }
    std::string failure(const std::string &sql)
    {
        const SQLRETURN rc = c.exec(sql);
        EXPECT_EQ(rc, SQL_ERROR) << sql;
        return c.state();
    }
    ScratchDir dir;
    OdbcClient c;
};

TEST_F(OdbcErrors, AnythingOutsideTheGrammarIsASyntaxError)
{
    for (const char *sql : {"",
                            "bogus",
                            "SELECT",
                            "SELECT * FROM",
                            "SELECT * FROM Parts WHERE",
                            "SELECT a b c FROM Parts",
                            "SELECT * FROM Parts ORDER NAME",
                            "SELECT * FROM Parts WHERE QTY>>3",
                            "SELECT * FROM Parts GROUP BY NAME",
                            "SELECT COUNT(*), NAME FROM Parts",
                            "INSERT INTO Parts VALUES",
                            "INSERT INTO Parts VALUES()",
                            "INSERT INTO Parts VALUES('a'",
                            "INSERT INTO Parts VALUES('unterminated)",
                            "UPDATE Parts SET",
                            "DELETE Parts",
                            "CREATE TABLE [X]",
                            "CREATE TABLE [X] ()",
                            "CREATE TABLE [X] (A)",
                            "DROP Parts",
                            "ALTER TABLE [A$] RENAME [B$]",
                            "SELECT * FROM [Parts",
                            "SELECT * FROM Parts; SELECT 1",
                            "SELECT * FROM Parts WHERE QTY=3x",
                            "SELECT * FROM Parts WHERE QTY=--3",
                            "\x01\xff"})
        EXPECT_EQ(failure(sql), "42000") << sql;
}

TEST_F(OdbcErrors, MissingAndDuplicateObjectsAndMismatchedValues)
{
    EXPECT_EQ(failure("SELECT * FROM Nothing"), "42S02");
    EXPECT_EQ(failure("DROP TABLE Nothing$"), "42S02");
    EXPECT_EQ(failure("ALTER TABLE [Nothing$] RENAME TO [X$]"), "42S02");
    EXPECT_EQ(failure("CREATE TABLE [parts] (A text(5))"), "42S01") << "sheet names ignore case";
    EXPECT_EQ(failure("ALTER TABLE [Parts$] RENAME TO [Other$]"), "42S01");
    EXPECT_EQ(failure("CREATE TABLE [New] (A text(5), a number)"), "42S21");
    EXPECT_EQ(failure("SELECT COLOUR FROM Parts"), "42S22");
    EXPECT_EQ(failure("UPDATE Parts SET COLOUR=1  WHERE NAME='bolt'"), "42S22");
    EXPECT_EQ(failure("DELETE FROM Parts WHERE COLOUR='red'"), "42S22");
    EXPECT_EQ(failure("INSERT INTO [Parts] (COLOUR) VALUES(1)"), "42S22");
    EXPECT_EQ(failure("INSERT INTO [Parts] VALUES('a', 1)"), "21S01");
    EXPECT_EQ(failure("INSERT INTO [Parts] (NAME, QTY) VALUES('a')"), "21S01");
    EXPECT_EQ(failure("INSERT INTO [Parts] (NAME) VALUES(1e999)"), "22003");
    EXPECT_EQ(failure("CREATE TABLE [a/b] (A text(5))"), "HY000") << "not a valid sheet name";
    EXPECT_EQ(c.query("SELECT NAME FROM Parts").size(), 2u) << "nothing above changed the table";
}

TEST_F(OdbcErrors, CursorStatesAfterChangesAndQueries)
{
    ASSERT_EQ(c.exec("UPDATE Parts SET QTY=4  WHERE NAME='bolt'"), SQL_SUCCESS);
    EXPECT_EQ(SQLFetch(c.stmt), SQL_ERROR) << "no result set after a change";
    EXPECT_EQ(c.state(), "24000");
    EXPECT_EQ(SQLCloseCursor(c.stmt), SQL_ERROR);
    EXPECT_EQ(c.state(), "24000");

    // Executing again without closing drops the old result.
    ASSERT_EQ(c.exec("SELECT NAME FROM Parts"), SQL_SUCCESS);
    ASSERT_EQ(SQLFetch(c.stmt), SQL_SUCCESS);
    ASSERT_EQ(SQLFreeStmt(c.stmt, SQL_CLOSE), SQL_SUCCESS);
    ASSERT_EQ(c.exec("SELECT QTY FROM Parts WHERE NAME='bolt'"), SQL_SUCCESS);
    ASSERT_EQ(SQLFetch(c.stmt), SQL_SUCCESS);
    EXPECT_EQ(c.text(1), "4");
    EXPECT_EQ(SQLFetch(c.stmt), SQL_NO_DATA);
    ASSERT_EQ(c.exec("SELECT QTY FROM Parts WHERE NAME='nut'"), SQL_SUCCESS) << "re-execute after the end";
    ASSERT_EQ(SQLFetch(c.stmt), SQL_SUCCESS);
    EXPECT_EQ(c.text(1), "12");
    SQLCloseCursor(c.stmt);

    // Prepared statements run as often as executed.
    ASSERT_EQ(SQLPrepare(c.stmt, (SQLCHAR *)"SELECT NAME FROM Parts WHERE QTY=12", SQL_NTS), SQL_SUCCESS);
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(SQLExecute(c.stmt), SQL_SUCCESS);
        EXPECT_EQ(c.fetch_all(), Rows{row({"nut"})});
    }
    EXPECT_EQ(SQLPrepare(c.stmt, (SQLCHAR *)"SELECT FROM", SQL_NTS), SQL_ERROR);
    EXPECT_EQ(c.state(), "42000");

    // A fresh statement has no diagnostics (the descriptor probes of the
    // driver manager leave none behind).
    SQLHSTMT fresh = SQL_NULL_HSTMT;
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, c.dbc, &fresh), SQL_SUCCESS);
    SQLCHAR st[6];
    SQLINTEGER native;
    SQLSMALLINT len;
    EXPECT_EQ(SQLGetDiagRec(SQL_HANDLE_STMT, fresh, 1, st, &native, nullptr, 0, &len), SQL_NO_DATA);
    SQLFreeHandle(SQL_HANDLE_STMT, fresh);
}

TEST_F(OdbcErrors, AWorkbookThatGoesBadAfterConnectingGivesAnErrorNotACrash)
{
    spew(dir.file("parts.xls"), "this is no longer a workbook");
    EXPECT_EQ(failure("SELECT * FROM Parts"), "HY000");
    EXPECT_NE(c.message().find("Cannot read the workbook"), std::string::npos) << c.message();
    write_parts_workbook(dir.file("parts.xls"));
    EXPECT_EQ(c.query("SELECT NAME FROM Parts WHERE QTY=3"), Rows{row({"bolt"})});
}

TEST(OdbcHandles, DisconnectingReleasesStatementsTheApplicationDidNotFree)
{
    ScratchDir dir;
    write_parts_workbook(dir.file("parts.xls"));
    ::setenv("ODBCSYSINI", CVSTV_ODBCSYSINI_DIR, 1);
    SQLHENV env;
    SQLHDBC dbc;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    const std::string cs = library_connection_string(dir.file("parts.xls"));
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(SQLDriverConnect(dbc, nullptr, (SQLCHAR *)cs.c_str(), SQL_NTS, nullptr, 0, nullptr,
                                   SQL_DRIVER_NOPROMPT),
                  SQL_SUCCESS);
        SQLHSTMT open_cursor, idle;
        ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &open_cursor), SQL_SUCCESS);
        ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &idle), SQL_SUCCESS);
        ASSERT_EQ(SQLExecDirect(open_cursor, (SQLCHAR *)"SELECT * FROM Parts", SQL_NTS), SQL_SUCCESS);
        ASSERT_EQ(SQLFetch(open_cursor), SQL_SUCCESS);
        EXPECT_EQ(SQLDisconnect(dbc), SQL_SUCCESS);
    }
    EXPECT_EQ(SQLFreeHandle(SQL_HANDLE_DBC, dbc), SQL_SUCCESS);
    EXPECT_EQ(SQLFreeHandle(SQL_HANDLE_ENV, env), SQL_SUCCESS);
}

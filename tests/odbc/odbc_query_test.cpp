// Reading records: SELECT * and column lists, WHERE k=v on texts and numbers,
// rows without values skipped, and SQLGetData as text, integer, double and
// UTF-16 text.
#include "odbc_client.h"

#include <cstring>

class OdbcQuery : public testing::Test {
  protected:
    void SetUp() override
    {
        path = dir.file("parts.xls");
        write_parts_workbook(path);
        ASSERT_EQ(c.connect(library_connection_string(path)), SQL_SUCCESS);
    }
    ScratchDir dir;
    std::string path;
    OdbcClient c;
};

TEST_F(OdbcQuery, SelectStarReturnsEveryRowThatHoldsAValue)
{
    EXPECT_EQ(c.query("SELECT * FROM `Parts$`"),
              (Rows{row({"bolt", "3", "x", "2.5"}), row({"nut", "12", nullptr, "8"})}))
        << "the empty row between them is no record";
    SQLLEN count = 0;
    ASSERT_EQ(c.exec("SELECT * FROM Parts"), SQL_SUCCESS);
    SQLRowCount(c.stmt, &count);
    EXPECT_EQ(count, 2);
    SQLCloseCursor(c.stmt);
    // Every way of writing the table name.
    for (const char *t : {"Parts", "Parts$", "[Parts]", "[Parts$]", "`Parts$`", "[parts$]"})
        EXPECT_EQ(c.query(std::string("SELECT QTY FROM ") + t + " WHERE NAME='bolt'"), Rows{row({"3"})}) << t;
}

TEST_F(OdbcQuery, WhereComparesTextsIgnoringCaseAndNumbersByValue)
{
    EXPECT_EQ(c.query("SELECT NAME, DIA  FROM Parts WHERE QTY=12"), Rows{row({"nut", "8"})});
    EXPECT_EQ(c.query("SELECT NAME FROM Parts WHERE QTY=12.000000"), Rows{row({"nut"})});
    EXPECT_EQ(c.query("SELECT NAME FROM Parts WHERE DIA=2.5"), Rows{row({"bolt"})});
    EXPECT_EQ(c.query("SELECT QTY FROM Parts WHERE NAME='BOLT'"), Rows{row({"3"})});
    EXPECT_EQ(c.query("SELECT NAME FROM Parts WHERE QTY='3'"), Rows{row({"bolt"})}) << "a quoted number";
    EXPECT_EQ(c.query("SELECT NAME FROM Parts WHERE NAME='bolt' AND QTY=3"), Rows{row({"bolt"})});
    EXPECT_TRUE(c.query("SELECT NAME FROM Parts WHERE NAME='washer'").empty());
    EXPECT_TRUE(c.query("SELECT NAME FROM Parts WHERE F3=NULL").empty()) << "NULL equals nothing";
    EXPECT_EQ(c.query("SELECT F3 FROM Parts WHERE NAME='bolt'"), Rows{row({"x"})})
        << "generated names select";
}

TEST_F(OdbcQuery, GetDataConvertsToIntegersDoublesAndWideText)
{
    ASSERT_EQ(c.exec("SELECT QTY, DIA, NAME FROM Parts WHERE NAME='bolt'"), SQL_SUCCESS);
    ASSERT_EQ(SQLFetch(c.stmt), SQL_SUCCESS);
    SQLINTEGER qty = 0;
    double dia = 0;
    SQLLEN ind = 0;
    EXPECT_EQ(SQLGetData(c.stmt, 1, SQL_C_SLONG, &qty, 0, &ind), SQL_SUCCESS);
    EXPECT_EQ(qty, 3);
    EXPECT_EQ(SQLGetData(c.stmt, 2, SQL_C_DOUBLE, &dia, 0, &ind), SQL_SUCCESS);
    EXPECT_EQ(dia, 2.5);
    EXPECT_EQ(SQLGetData(c.stmt, 2, SQL_C_DOUBLE, &dia, 0, &ind), SQL_NO_DATA) << "a column is read once";
    SQLWCHAR wide[8] = {};
    EXPECT_EQ(SQLGetData(c.stmt, 3, SQL_C_WCHAR, wide, sizeof wide, &ind), SQL_SUCCESS);
    EXPECT_EQ(ind, 8);
    EXPECT_EQ(std::u16string(reinterpret_cast<char16_t *>(wide)), u"bolt");
    SQLCloseCursor(c.stmt);

    // A real read as an integer (fractional truncation), a text that is no number.

    ASSERT_EQ(c.exec("SELECT DIA, NAME FROM Parts WHERE NAME='bolt'"), SQL_SUCCESS);
    ASSERT_EQ(SQLFetch(c.stmt), SQL_SUCCESS);
    EXPECT_EQ(SQLGetData(c.stmt, 1, SQL_C_SLONG, &qty, 0, &ind), SQL_SUCCESS_WITH_INFO);
    EXPECT_EQ(qty, 2);
    EXPECT_EQ(c.state(), "01S07");
    EXPECT_EQ(SQLGetData(c.stmt, 2, SQL_C_SLONG, &qty, 0, &ind), SQL_ERROR) << "'bolt' is not a number";
    EXPECT_EQ(c.state(), "22018");
    SQLCloseCursor(c.stmt);
}

TEST_F(OdbcQuery, LongTextsComeInPiecesAndNullsNeedAnIndicator)
{
    ASSERT_EQ(c.exec("INSERT INTO [Parts] (NAME, F3) VALUES('a long name for a part', 'y')"), SQL_SUCCESS);
    ASSERT_EQ(c.exec("SELECT NAME, DIA FROM Parts WHERE F3='y'"), SQL_SUCCESS);
    ASSERT_EQ(SQLFetch(c.stmt), SQL_SUCCESS);
    char buf[10];
    SQLLEN ind = 0;
    std::string got;
    ASSERT_EQ(SQLGetData(c.stmt, 1, SQL_C_CHAR, buf, sizeof buf, &ind), SQL_SUCCESS_WITH_INFO);
    EXPECT_EQ(c.state(), "01004");
    EXPECT_EQ(ind, 22);
    got += buf;
    ASSERT_EQ(SQLGetData(c.stmt, 1, SQL_C_CHAR, buf, sizeof buf, &ind), SQL_SUCCESS_WITH_INFO);
    EXPECT_EQ(ind, 13);
    got += buf;
    ASSERT_EQ(SQLGetData(c.stmt, 1, SQL_C_CHAR, buf, sizeof buf, &ind), SQL_SUCCESS);
    got += buf;
    EXPECT_EQ(got, "a long name for a part");
    EXPECT_EQ(SQLGetData(c.stmt, 1, SQL_C_CHAR, buf, sizeof buf, &ind), SQL_NO_DATA);

    EXPECT_EQ(SQLGetData(c.stmt, 2, SQL_C_CHAR, buf, sizeof buf, nullptr), SQL_ERROR);
    EXPECT_EQ(c.state(), "22002");
    EXPECT_EQ(SQLGetData(c.stmt, 5, SQL_C_CHAR, buf, sizeof buf, &ind), SQL_ERROR);
    EXPECT_EQ(c.state(), "07009");
    SQLCloseCursor(c.stmt);
}

TEST_F(OdbcQuery, ResultDescriptionAndBoundColumns)
{
    ASSERT_EQ(c.exec("SELECT NAME, QTY FROM Parts"), SQL_SUCCESS);
    SQLSMALLINT n = 0, type = 0, nullable = 0;
    SQLULEN size = 0;
    char name[16];
    SQLNumResultCols(c.stmt, &n);
    EXPECT_EQ(n, 2);
    ASSERT_EQ(
        SQLDescribeCol(c.stmt, 2, (SQLCHAR *)name, sizeof name, nullptr, &type, &size, nullptr, &nullable),
        SQL_SUCCESS);
    EXPECT_STREQ(name, "QTY");
    EXPECT_EQ(type, SQL_DOUBLE);
    EXPECT_EQ(nullable, SQL_NULLABLE);
    SQLLEN display = 0;
    ASSERT_EQ(SQLColAttribute(c.stmt, 1, SQL_DESC_DISPLAY_SIZE, nullptr, 0, nullptr, &display), SQL_SUCCESS);
    EXPECT_EQ(display, 255);
    ASSERT_EQ(SQLColAttribute(c.stmt, 1, SQL_DESC_LABEL, name, sizeof name, nullptr, nullptr), SQL_SUCCESS);
    EXPECT_STREQ(name, "NAME");

    char text[32];
    SQLINTEGER qty = 0;
    SQLLEN text_ind = 0, qty_ind = 0;
    SQLBindCol(c.stmt, 1, SQL_C_CHAR, text, sizeof text, &text_ind);
    SQLBindCol(c.stmt, 2, SQL_C_SLONG, &qty, 0, &qty_ind);
    std::vector<std::string> seen;
    while (SQLFetch(c.stmt) == SQL_SUCCESS)
        seen.push_back(text_ind == SQL_NULL_DATA ? "NULL" : std::string(text) + "=" + std::to_string(qty));
    EXPECT_EQ(seen, (std::vector<std::string>{"bolt=3", "nut=12"}));
    SQLFreeStmt(c.stmt, SQL_UNBIND);
    SQLCloseCursor(c.stmt);
}

// A failing SQLGetData (a column past the last, a text that is no number)
// is an error for that call only: the row and its other columns stay
// readable, and the next call answers without the old diagnostic.
TEST_F(OdbcQuery, AFailedColumnLeavesTheRowReadable)
{
    ASSERT_EQ(c.exec("SELECT * FROM Parts"), SQL_SUCCESS);
    ASSERT_EQ(SQLFetch(c.stmt), SQL_SUCCESS);
    char buf[16];
    SQLLEN ind = 0;
    for (SQLUSMALLINT past : {5, 6, 0}) {
        EXPECT_EQ(SQLGetData(c.stmt, past, SQL_C_CHAR, buf, sizeof buf, &ind), SQL_ERROR) << past;
        EXPECT_EQ(c.state(), "07009");
    }
    SQLCHAR state[6] = {}, message[128] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    SQLGetData(c.stmt, 5, SQL_C_CHAR, buf, sizeof buf, &ind);
    ASSERT_EQ(SQLGetDiagRec(SQL_HANDLE_STMT, c.stmt, 1, state, &native, message, sizeof message, &length),
              SQL_SUCCESS);
    const std::string text(reinterpret_cast<char *>(message), static_cast<std::size_t>(length));
    EXPECT_EQ(text, "[cvstv][XLS Driver] Invalid descriptor index: column 5");
    SQLINTEGER number = 0;
    EXPECT_EQ(SQLGetData(c.stmt, 1, SQL_C_SLONG, &number, 0, &ind), SQL_ERROR);
    EXPECT_EQ(c.state(), "22018");
    EXPECT_EQ(SQLGetData(c.stmt, 4, SQL_C_CHAR, buf, sizeof buf, &ind), SQL_SUCCESS);
    EXPECT_STREQ(buf, "2.5");
    EXPECT_EQ(SQLGetDiagRec(SQL_HANDLE_STMT, c.stmt, 1, state, &native, message, sizeof message, &length),
              SQL_NO_DATA);
    ASSERT_EQ(SQLFetch(c.stmt), SQL_SUCCESS) << "the cursor moves on";
    EXPECT_EQ(SQLGetData(c.stmt, 3, SQL_C_CHAR, buf, sizeof buf, &ind), SQL_SUCCESS);
    EXPECT_EQ(ind, SQL_NULL_DATA);
    SQLCloseCursor(c.stmt);

    // A bound column that cannot be converted fails the fetch with its state.
    ASSERT_EQ(c.exec("SELECT NAME FROM Parts"), SQL_SUCCESS);
    SQLBindCol(c.stmt, 1, SQL_C_SLONG, &number, 0, &ind);
    EXPECT_EQ(SQLFetch(c.stmt), SQL_ERROR);
    EXPECT_EQ(c.state(), "22018");
    SQLFreeStmt(c.stmt, SQL_UNBIND);
    SQLCloseCursor(c.stmt);
}

// Numbers as text: integers in decimal, whole reals without a fraction,
// other reals in the shortest form that reads back, in one piece or cut.
TEST_F(OdbcQuery, NumbersReadAsTextInTheirShortestForm)
{
    ASSERT_EQ(c.exec("INSERT INTO Parts (NAME, QTY, DIA) VALUES('w', -40, 0.30000000000000004)"),
              SQL_SUCCESS);
    ASSERT_EQ(c.exec("INSERT INTO Parts (NAME, QTY, DIA) VALUES('v', 1234567890123, -0.125)"), SQL_SUCCESS);
    ASSERT_EQ(c.exec("INSERT INTO Parts (NAME, QTY, DIA) VALUES('u', 1e20, 0.0001)"), SQL_SUCCESS);
    EXPECT_EQ(c.query("SELECT QTY, DIA FROM Parts"),
              (Rows{row({"3", "2.5"}), row({"12", "8"}), row({"-40", "0.30000000000000004"}),
                    row({"1234567890123", "-0.125"}), row({"1e+20", "1e-04"})}));
    ASSERT_EQ(c.exec("SELECT DIA FROM Parts WHERE NAME='w'"), SQL_SUCCESS);
    ASSERT_EQ(SQLFetch(c.stmt), SQL_SUCCESS);
    char buf[8];
    SQLLEN ind = 0;
    EXPECT_EQ(SQLGetData(c.stmt, 1, SQL_C_CHAR, buf, sizeof buf, &ind), SQL_SUCCESS_WITH_INFO);
    EXPECT_EQ(ind, 19);
    EXPECT_STREQ(buf, "0.30000");
    EXPECT_EQ(SQLGetData(c.stmt, 1, SQL_C_CHAR, buf, sizeof buf, &ind), SQL_SUCCESS_WITH_INFO);
    EXPECT_EQ(ind, 12);
    EXPECT_STREQ(buf, "0000000");
    EXPECT_EQ(SQLGetData(c.stmt, 1, SQL_C_CHAR, buf, sizeof buf, &ind), SQL_SUCCESS);
    EXPECT_STREQ(buf, "00004");
    SQLCloseCursor(c.stmt);
    ASSERT_EQ(c.exec("SELECT DIA FROM Parts WHERE NAME='v'"), SQL_SUCCESS);
    ASSERT_EQ(SQLFetch(c.stmt), SQL_SUCCESS);
    SQLWCHAR wide[8] = {};
    EXPECT_EQ(SQLGetData(c.stmt, 1, SQL_C_WCHAR, wide, sizeof wide, &ind), SQL_SUCCESS);
    EXPECT_EQ(ind, 12);
    EXPECT_EQ(std::u16string(reinterpret_cast<char16_t *>(wide)), u"-0.125");
    SQLCloseCursor(c.stmt);
}

TEST_F(OdbcQuery, AnOpenCursorKeepsItsRowsWhileTheWorkbookChanges)
{
    OdbcClient other;
    ASSERT_EQ(other.connect(library_connection_string(path)), SQL_SUCCESS);
    ASSERT_EQ(c.exec("SELECT NAME FROM Parts"), SQL_SUCCESS);
    ASSERT_EQ(SQLFetch(c.stmt), SQL_SUCCESS);

    SQLHSTMT second = SQL_NULL_HSTMT;
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, c.dbc, &second), SQL_SUCCESS);
    ASSERT_EQ(SQLExecDirect(second, (SQLCHAR *)"DELETE FROM Parts", SQL_NTS), SQL_SUCCESS);
    SQLFreeHandle(SQL_HANDLE_STMT, second);

    EXPECT_EQ(c.text(1), "bolt");
    EXPECT_EQ(SQLFetch(c.stmt), SQL_SUCCESS);
    EXPECT_EQ(c.text(1), "nut");
    EXPECT_EQ(SQLFetch(c.stmt), SQL_NO_DATA);
    SQLCloseCursor(c.stmt);

    // The other connection sees the change made through the file.
    EXPECT_TRUE(other.query("SELECT * FROM Parts").empty());
}

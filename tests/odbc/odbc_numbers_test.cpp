// Numbers in texts and in SQL: the driver decides what a number is with the
// project's one number reader, whatever the process's LC_NUMERIC says.
#include "odbc_client.h"

#include <clocale>

namespace {

using workbook::Cell;

// Texts that look more or less like numbers, in column TEXT, and the values
// they would have if read as numbers in column N.
void write_texts_workbook(const std::string &path)
{
    workbook::Workbook book;
    book.sheets.push_back({"T", {}});
    auto &rows = book.sheets[0].rows;
    rows.push_back({Cell::make_text("TEXT"), Cell::make_text("N")});
    rows.push_back({Cell::make_text("0x1A"), Cell::make_integer(26)});
    rows.push_back({Cell::make_text("1e3"), Cell::make_integer(1000)});
    rows.push_back({Cell::make_text(" 12 "), Cell::make_integer(12)});
    rows.push_back({Cell::make_text("1,5"), Cell::make_real(1.5)});
    rows.push_back({Cell::make_text("2.5"), Cell::make_real(2.5)});
    ASSERT_TRUE(workbook::write_workbook(path, book).ok);
}

class LocaleGuard {
  public:
    LocaleGuard() : previous_(std::setlocale(LC_NUMERIC, nullptr)) {}
    ~LocaleGuard() { std::setlocale(LC_NUMERIC, previous_.c_str()); }

  private:
    std::string previous_;
};

} // namespace

TEST(OdbcNumbers, TextsHoldANumberOnlyWhenTheNumberReaderReadsOne)
{
    ScratchDir dir;
    write_texts_workbook(dir.file("t.xls"));
    OdbcClient c;
    ASSERT_EQ(c.connect(library_connection_string(dir.file("t.xls"))), SQL_SUCCESS);
    // A text compared with a number matches when it reads as that number.
    EXPECT_EQ(c.query("SELECT TEXT FROM T WHERE TEXT=1000"), Rows{row({"1e3"})});
    EXPECT_EQ(c.query("SELECT TEXT FROM T WHERE TEXT=12"), Rows{row({" 12 "})});
    EXPECT_TRUE(c.query("SELECT TEXT FROM T WHERE TEXT=26").empty()) << "hexadecimal is text";
    EXPECT_TRUE(c.query("SELECT TEXT FROM T WHERE TEXT=1.5").empty()) << "a decimal comma is text";
    EXPECT_TRUE(c.query("SELECT TEXT FROM T WHERE TEXT=1").empty()) << "'1,5' is not 1 followed by junk";

    // The same texts fetched as numbers.
    ASSERT_EQ(c.exec("SELECT TEXT FROM T"), SQL_SUCCESS);
    std::vector<std::string> seen;
    while (SQLFetch(c.stmt) == SQL_SUCCESS) {
        double d = 0;
        SQLLEN ind = 0;
        const SQLRETURN rc = SQLGetData(c.stmt, 1, SQL_C_DOUBLE, &d, 0, &ind);
        seen.push_back(SQL_SUCCEEDED(rc) ? Cell::make_real(d).as_text() : c.state());
    }
    SQLCloseCursor(c.stmt);
    EXPECT_EQ(seen, (std::vector<std::string>{"22018", "1000", "12", "22018", "2.5"}));
}

TEST(OdbcNumbers, ADecimalCommaLocaleChangesNothingTheDriverReadsOrWrites)
{
    ScratchDir dir;
    write_texts_workbook(dir.file("t.xls"));
    LocaleGuard restore;
    ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr)
        << "locale de_DE.UTF-8 is not generated (scripts/install_deps.sh generates it)";
    OdbcClient c;
    ASSERT_EQ(c.connect(library_connection_string(dir.file("t.xls"))), SQL_SUCCESS);
    EXPECT_EQ(c.query("SELECT TEXT FROM T WHERE N=2.5"), Rows{row({"2.5"})});
    EXPECT_EQ(c.query("SELECT N FROM T WHERE TEXT=2.5"), Rows{row({"2.5"})});
    ASSERT_EQ(c.exec("INSERT INTO T (TEXT, N) VALUES('x', 3.25)"), SQL_SUCCESS) << c.message();
    ASSERT_EQ(c.exec("UPDATE T SET N=0.5  WHERE TEXT='1,5'"), SQL_SUCCESS) << c.message();
    EXPECT_EQ(c.query("SELECT N FROM T WHERE TEXT='x'"), Rows{row({"3.25"})});
    EXPECT_EQ(c.query("SELECT N FROM T WHERE TEXT='1,5'"), Rows{row({"0.5"})});
    ASSERT_EQ(c.exec("SELECT TEXT FROM T WHERE TEXT='2.5'"), SQL_SUCCESS);
    ASSERT_EQ(SQLFetch(c.stmt), SQL_SUCCESS);
    double d = 0;
    SQLLEN ind = 0;
    EXPECT_EQ(SQLGetData(c.stmt, 1, SQL_C_DOUBLE, &d, 0, &ind), SQL_SUCCESS);
    EXPECT_EQ(d, 2.5);
    SQLCloseCursor(c.stmt);

    workbook::Workbook back;
    ASSERT_TRUE(workbook::read_workbook(dir.file("t.xls"), back).ok);
    const workbook::Sheet &t = back.sheets.at(0);
    EXPECT_EQ(t.cell(6, 1)->real, 3.25);
    EXPECT_EQ(t.cell(4, 1)->real, 0.5);
}

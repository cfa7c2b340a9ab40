// Changing workbooks: the statements the workbook library builds, each
// written through to the file at once; read-only connections; and a write
// that fails half-way.
#include "odbc_client.h"

#include <sys/resource.h>

#include <csignal>
#include <filesystem>

using workbook::CellType;

namespace {

workbook::Workbook read_file(const std::string &path)
{
    workbook::Workbook book;
    workbook::Status s = workbook::read_workbook(path, book);
    EXPECT_TRUE(s.ok) << s.error;
    return book;
}

std::vector<std::string> texts_of_row(const workbook::Sheet &sheet, std::size_t r)
{
    std::vector<std::string> out;
    for (const auto &cell : sheet.rows.at(r))
        out.push_back(cell.as_text());
    return out;
}

} // namespace

TEST(OdbcChange, TheLibrarysStatementsChangeTheFile)
{
    ScratchDir dir;
    const std::string path = dir.file("register.xls");
    OdbcClient c;
    ASSERT_EQ(c.connect(library_connection_string(path)), SQL_SUCCESS) << c.message(SQL_HANDLE_DBC);

    ASSERT_EQ(c.exec("CREATE TABLE [Config] (KEY text(50),VALUE number,^ text(10))"), SQL_SUCCESS)
        << c.message();
    ASSERT_EQ(c.exec("INSERT INTO [Config] (KEY, VALUE) VALUES('width', 120) "), SQL_SUCCESS) << c.message();
    ASSERT_EQ(c.exec("INSERT INTO [Config] VALUES('it''s', 2.500000, 'z') "), SQL_SUCCESS) << c.message();
    ASSERT_EQ(c.exec("INSERT INTO [Config] VALUES ('', '', '') "), SQL_SUCCESS) << c.message();
    ASSERT_EQ(c.exec("INSERT INTO [Config] (KEY, VALUE) VALUES('depth', -4) "), SQL_SUCCESS) << c.message();

    workbook::Workbook book = read_file(path);
    const workbook::Sheet *sheet = book.find_sheet("Config");
    ASSERT_NE(sheet, nullptr);
    ASSERT_EQ(sheet->rows.size(), 5u);
    EXPECT_EQ(texts_of_row(*sheet, 0), (std::vector<std::string>{"KEY", "VALUE"}))
        << "unnamed column: empty header";
    EXPECT_EQ(texts_of_row(*sheet, 1), (std::vector<std::string>{"width", "120"}));
    EXPECT_EQ(sheet->rows[1][1].type, CellType::integer);
    EXPECT_EQ(texts_of_row(*sheet, 2), (std::vector<std::string>{"it's", "2.5", "z"}));
    EXPECT_TRUE(sheet->rows[3].empty()) << "the blank record keeps its row";
    EXPECT_EQ(texts_of_row(*sheet, 4), (std::vector<std::string>{"depth", "-4"}));

    ASSERT_EQ(c.exec("UPDATE Config SET VALUE=130, F3='w'  WHERE KEY='width'"), SQL_SUCCESS) << c.message();
    SQLLEN count = 0;
    SQLRowCount(c.stmt, &count);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(c.query("SELECT VALUE, F3  FROM Config WHERE KEY='width'"), Rows{row({"130", "w"})});
    ASSERT_EQ(c.exec("DELETE FROM Config WHERE KEY='depth'"), SQL_SUCCESS);
    EXPECT_EQ(c.exec("DELETE FROM Config WHERE KEY='depth'"), SQL_NO_DATA) << "no row matched";
    EXPECT_EQ(c.exec("UPDATE Config SET VALUE=1  WHERE KEY='none'"), SQL_NO_DATA);

    ASSERT_EQ(c.exec("ALTER TABLE [Config$] RENAME TO [Settings$]"), SQL_SUCCESS) << c.message();
    book = read_file(path);
    ASSERT_NE(book.find_sheet("Settings"), nullptr);
    EXPECT_EQ(book.find_sheet("Config"), nullptr);
    EXPECT_EQ(book.find_sheet("Settings")->rows.size(), 4u);

    ASSERT_EQ(c.exec("DELETE FROM Settings"), SQL_SUCCESS);
    EXPECT_TRUE(c.query("SELECT * FROM Settings").empty());
    workbook::Workbook after = read_file(path);
    const workbook::Sheet &settings = *after.find_sheet("Settings");
    EXPECT_EQ(texts_of_row(settings, 0), (std::vector<std::string>{"KEY", "VALUE"}))
        << "the header row stays";
    for (std::size_t r = 1; r < settings.rows.size(); ++r)
        for (const auto &cell : settings.rows[r])
            EXPECT_TRUE(cell.empty()) << "row " << r << " holds " << cell.as_text();
    ASSERT_EQ(c.exec("DROP TABLE Settings$"), SQL_SUCCESS) << c.message();
    EXPECT_EQ(read_file(path).find_sheet("Settings"), nullptr);
}

TEST(OdbcChange, ReadOnlyConnectionsRefuseEveryChange)
{
    ScratchDir dir;
    const std::string path = dir.file("parts.xls");
    write_parts_workbook(path);
    const std::string before = slurp(path);
    OdbcClient c;
    ASSERT_EQ(c.connect(std::string("DRIVER={") + driver_name() + "};READONLY=TRUE;DBQ=" + path),
              SQL_SUCCESS);
    for (const char *sql :
         {"CREATE TABLE [New] (A text(5))", "DROP TABLE Parts", "INSERT INTO [Parts] VALUES('a', 1, 2, 3)",
          "DELETE FROM Parts", "DELETE FROM Parts WHERE NAME='bolt'",
          "UPDATE Parts SET QTY=1  WHERE NAME='bolt'", "ALTER TABLE [Parts$] RENAME TO [P$]"}) {
        EXPECT_EQ(c.exec(sql), SQL_ERROR) << sql;
        EXPECT_EQ(c.state(), "HY000") << sql;
        EXPECT_NE(c.message().find("read-only"), std::string::npos) << c.message();
    }
    EXPECT_EQ(slurp(path), before);
    EXPECT_EQ(c.query("SELECT QTY FROM Parts WHERE NAME='nut'"), Rows{row({"12"})});
    char yn[4] = {};
    SQLGetInfo(c.dbc, SQL_DATA_SOURCE_READ_ONLY, yn, sizeof yn, nullptr);
    EXPECT_STREQ(yn, "Y");
}

TEST(OdbcChange, AWriteThatFailsHalfWayLeavesThePreviousWorkbook)
{
    ScratchDir dir;
    const std::string path = dir.file("parts.xls");
    write_parts_workbook(path);
    const std::string before = slurp(path);
    OdbcClient c;
    ASSERT_EQ(c.connect(library_connection_string(path)), SQL_SUCCESS);

    // The file-size limit makes the driver's write of the new, larger
    // workbook fail part-way through with EFBIG (root is not exempt).
    std::string big(5000, 'w');
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    auto *previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit low = old;
    low.rlim_cur = before.size() + 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &low), 0);
    const SQLRETURN rc = c.exec("INSERT INTO [Parts] (NAME) VALUES('" + big + "')");
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);

    EXPECT_EQ(rc, SQL_ERROR);
    EXPECT_EQ(c.state(), "HY000");
    EXPECT_EQ(slurp(path), before);
    std::size_t files = 0;
    for ([[maybe_unused]] auto &e : std::filesystem::directory_iterator(dir.path()))
        ++files;
    EXPECT_EQ(files, 1u) << "no temporary file left behind";
    // The connection goes on with the workbook as it is on disk.
    EXPECT_EQ(c.query("SELECT NAME FROM Parts"), (Rows{row({"bolt"}), row({"nut"})}));
    ASSERT_EQ(c.exec("INSERT INTO [Parts] (NAME) VALUES('washer')"), SQL_SUCCESS);
    EXPECT_EQ(c.query("SELECT QTY FROM Parts WHERE NAME='washer'"), Rows{row({nullptr})});
}

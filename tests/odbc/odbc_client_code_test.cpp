// What ordinary client code does: manual-commit transactions, parameters
// and parameter arrays, typed columns with dates and booleans, and the
// wide (UTF-16) entry points with non-ASCII names.
#include "odbc_client.h"

#include <sqlucode.h>
#include <sys/stat.h>

#include <cstring>

using workbook::Cell;
using workbook::CellType;

namespace {

struct FileStamp {
    ino_t ino = 0;
    long long mtime_ns = 0;
    bool operator==(const FileStamp &) const = default;
};

FileStamp stamp(const std::string &path)
{
    struct stat st {};
    ::stat(path.c_str(), &st);
    return {st.st_ino, st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec};
}

std::size_t records_in_file(const std::string &path, const std::string &sheet)
{
    workbook::Workbook book;
    EXPECT_TRUE(workbook::read_workbook(path, book).ok);
    const workbook::Sheet *s = book.find_sheet(sheet);
    std::size_t n = 0;
    for (std::size_t r = 1; s && r < s->rows.size(); ++r)
        n += std::any_of(s->rows[r].begin(), s->rows[r].end(), [](const Cell &c) { return !c.empty(); });
    return n;
}

void manual_commit(OdbcClient &c)
{
    ASSERT_EQ(
        SQLSetConnectAttr(c.dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0),
        SQL_SUCCESS);
}

} // namespace

TEST(OdbcTransactions, ManualCommitWritesOnceAndRollbackAndDisconnectDiscard)
{
    ScratchDir dir;
    const std::string path = dir.file("parts.xls");
    write_parts_workbook(path);
    OdbcClient c;
    ASSERT_EQ(c.connect(library_connection_string(path)), SQL_SUCCESS);
    manual_commit(c);
    SQLUINTEGER mode = 99;
    SQLGetConnectAttr(c.dbc, SQL_ATTR_AUTOCOMMIT, &mode, 0, nullptr);
    EXPECT_EQ(mode, SQL_AUTOCOMMIT_OFF);

    const FileStamp before = stamp(path);
    ASSERT_EQ(c.exec("INSERT INTO [Parts] (NAME, QTY) VALUES('washer', 7)"), SQL_SUCCESS) << c.message();
    ASSERT_EQ(c.exec("UPDATE Parts SET QTY=4 WHERE NAME='bolt'"), SQL_SUCCESS);
    EXPECT_EQ(c.query("SELECT QTY FROM Parts WHERE NAME='washer'"), Rows{row({"7"})})
        << "the transaction sees itself";
    EXPECT_EQ(stamp(path), before) << "nothing is written before commit";
    ASSERT_EQ(SQLEndTran(SQL_HANDLE_DBC, c.dbc, SQL_COMMIT), SQL_SUCCESS);
    EXPECT_NE(stamp(path), before);
    EXPECT_EQ(records_in_file(path, "Parts"), 3u);

    ASSERT_EQ(c.exec("DELETE FROM Parts"), SQL_SUCCESS);
    EXPECT_TRUE(c.query("SELECT * FROM Parts").empty());
    ASSERT_EQ(SQLEndTran(SQL_HANDLE_DBC, c.dbc, SQL_ROLLBACK), SQL_SUCCESS);
    EXPECT_EQ(c.query("SELECT NAME FROM Parts WHERE QTY=4"), Rows{row({"bolt"})});
    EXPECT_EQ(records_in_file(path, "Parts"), 3u);

    // Disconnecting with changes pending drops them, with a warning.
    ASSERT_EQ(c.exec("DELETE FROM Parts WHERE NAME='bolt'"), SQL_SUCCESS);
    SQLFreeHandle(SQL_HANDLE_STMT, c.stmt);
    EXPECT_EQ(SQLDisconnect(c.dbc), SQL_SUCCESS_WITH_INFO);
    EXPECT_EQ(records_in_file(path, "Parts"), 3u);

    // Switching auto-commit back on commits what is pending.
    OdbcClient d;
    ASSERT_EQ(d.connect(library_connection_string(path)), SQL_SUCCESS);
    manual_commit(d);
    ASSERT_EQ(d.exec("DELETE FROM Parts WHERE NAME='nut'"), SQL_SUCCESS);
    ASSERT_EQ(
        SQLSetConnectAttr(d.dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0),
        SQL_SUCCESS);
    EXPECT_EQ(records_in_file(path, "Parts"), 2u);
    EXPECT_EQ(SQLEndTran(SQL_HANDLE_DBC, d.dbc, SQL_COMMIT), SQL_SUCCESS) << "nothing pending: still success";
    SQLUSMALLINT capable = 0;
    SQLGetInfo(d.dbc, SQL_TXN_CAPABLE, &capable, sizeof capable, nullptr);
    EXPECT_EQ(capable, SQL_TC_ALL);
}

TEST(OdbcParameters, MarkersAreBoundDescribedAndConverted)
{
    ScratchDir dir;
    const std::string path = dir.file("parts.xls");
    write_parts_workbook(path);
    OdbcClient c;
    ASSERT_EQ(c.connect(library_connection_string(path)), SQL_SUCCESS);
    ASSERT_EQ(SQLPrepare(c.stmt, (SQLCHAR *)"INSERT INTO [Parts] (NAME, QTY, DIA, F3) VALUES (?, ?, ?, ?)",
                         SQL_NTS),
              SQL_SUCCESS);
    SQLSMALLINT count = 0;
    ASSERT_EQ(SQLNumParams(c.stmt, &count), SQL_SUCCESS);
    EXPECT_EQ(count, 4);
    SQLSMALLINT type = 0, digits = 0, nullable = 0;
    SQLULEN size = 0;
    ASSERT_EQ(SQLDescribeParam(c.stmt, 2, &type, &size, &digits, &nullable), SQL_SUCCESS);
    EXPECT_EQ(type, SQL_DOUBLE) << "QTY holds numbers";
    ASSERT_EQ(SQLDescribeParam(c.stmt, 1, &type, &size, &digits, &nullable), SQL_SUCCESS);
    EXPECT_EQ(type, SQL_VARCHAR);
    EXPECT_GE(size, 255u);
    EXPECT_EQ(SQLDescribeParam(c.stmt, 5, &type, &size, &digits, &nullable), SQL_ERROR);

    char name[16] = "screw";
    SQLLEN name_len = SQL_NTS, qty_len = 0, dia_len = 0, null_len = SQL_NULL_DATA;
    SQLINTEGER qty = 25;
    double dia = 3.5;
    char unused[4] = "";
    ASSERT_EQ(SQLBindParameter(c.stmt, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 15, 0, name, sizeof name,
                               &name_len),
              SQL_SUCCESS);
    ASSERT_EQ(SQLBindParameter(c.stmt, 2, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, &qty, 0, &qty_len),
              SQL_SUCCESS);
    ASSERT_EQ(
        SQLBindParameter(c.stmt, 3, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 15, 0, &dia, 0, &dia_len),
        SQL_SUCCESS);
    ASSERT_EQ(
        SQLBindParameter(c.stmt, 4, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 1, 0, unused, 1, &null_len),
        SQL_SUCCESS);
    ASSERT_EQ(SQLExecute(c.stmt), SQL_SUCCESS) << c.message();
    std::strcpy(name, "it's");
    qty = -3;
    ASSERT_EQ(SQLExecute(c.stmt), SQL_SUCCESS) << "executed again with new values";
    SQLFreeStmt(c.stmt, SQL_RESET_PARAMS);
    EXPECT_EQ(SQLExecute(c.stmt), SQL_ERROR) << "parameters no longer bound";
    EXPECT_EQ(c.state(), "07002");

    EXPECT_EQ(c.query("SELECT NAME, QTY, DIA, F3 FROM Parts WHERE DIA = 3.5"),
              (Rows{row({"screw", "25", "3.5", nullptr}), row({"it's", "-3", "3.5", nullptr})}));

    // A marker in a WHERE, and a text sent for a number.
    ASSERT_EQ(SQLPrepare(c.stmt, (SQLCHAR *)"SELECT NAME FROM Parts WHERE QTY > ? AND NAME <> ?", SQL_NTS),
              SQL_SUCCESS);
    char limit[8] = "10";
    SQLLEN limit_len = SQL_NTS;
    ASSERT_EQ(SQLDescribeParam(c.stmt, 1, &type, &size, &digits, &nullable), SQL_SUCCESS);
    EXPECT_EQ(type, SQL_DOUBLE);
    SQLBindParameter(c.stmt, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_DOUBLE, 0, 0, limit, sizeof limit,
                     &limit_len);
    std::strcpy(name, "nut");
    SQLBindParameter(c.stmt, 2, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 15, 0, name, sizeof name,
                     &name_len);
    ASSERT_EQ(SQLExecute(c.stmt), SQL_SUCCESS) << c.message();
    EXPECT_EQ(c.fetch_all(), Rows{row({"screw"})});
}

// Parameter arrays as pyodbc's fast_executemany binds them: row-wise, with
// offsets as pointers and the base in SQL_ATTR_PARAM_BIND_OFFSET_PTR; in
// auto-commit mode the whole array is one write, and a failing row leaves
// none written.
TEST(OdbcParameters, ArraysOfParameterSetsAreOneChange)
{
    ScratchDir dir;
    const std::string path = dir.file("parts.xls");
    write_parts_workbook(path);
    OdbcClient c;
    ASSERT_EQ(c.connect(library_connection_string(path)), SQL_SUCCESS);
    struct Set {
        SQLLEN unused; // bound offsets are never 0 (a null pointer is no buffer)
        SQLWCHAR name[8];
        SQLLEN name_len;
        double qty;
        SQLLEN qty_len;
    };
    std::vector<Set> sets(300);
    for (std::size_t i = 0; i < sets.size(); ++i) {
        const std::u16string n = u"p" + std::u16string(1, static_cast<char16_t>(u'A' + i % 26));
        std::memset(sets[i].name, 0, sizeof sets[i].name);
        std::copy(n.begin(), n.end(), sets[i].name);
        sets[i].name_len = static_cast<SQLLEN>(n.size() * 2);
        sets[i].qty = static_cast<double>(i);
        sets[i].qty_len = i == 7 ? SQL_NULL_DATA : 0;
    }
    ASSERT_EQ(SQLPrepare(c.stmt, (SQLCHAR *)"INSERT INTO [Parts] (NAME, QTY) VALUES (?, ?)", SQL_NTS),
              SQL_SUCCESS);
    SQLULEN base = reinterpret_cast<SQLULEN>(sets.data());
    std::vector<SQLUSMALLINT> status(sets.size(), 99);
    SQLULEN processed = 0;
    SQLSetStmtAttr(c.stmt, SQL_ATTR_PARAM_BIND_TYPE, reinterpret_cast<SQLPOINTER>(sizeof(Set)), 0);
    SQLSetStmtAttr(c.stmt, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(sets.size()), 0);
    SQLSetStmtAttr(c.stmt, SQL_ATTR_PARAM_BIND_OFFSET_PTR, &base, 0);
    SQLSetStmtAttr(c.stmt, SQL_ATTR_PARAM_STATUS_PTR, status.data(), 0);
    SQLSetStmtAttr(c.stmt, SQL_ATTR_PARAMS_PROCESSED_PTR, &processed, 0);
    SQLBindParameter(c.stmt, 1, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR, 7, 0,
                     reinterpret_cast<SQLPOINTER>(offsetof(Set, name)), sizeof(Set::name),
                     reinterpret_cast<SQLLEN *>(offsetof(Set, name_len)));
    SQLBindParameter(c.stmt, 2, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 15, 0,
                     reinterpret_cast<SQLPOINTER>(offsetof(Set, qty)), 0,
                     reinterpret_cast<SQLLEN *>(offsetof(Set, qty_len)));
    const FileStamp before = stamp(path);
    ASSERT_EQ(SQLExecute(c.stmt), SQL_SUCCESS) << c.state() << " " << c.message();
    EXPECT_EQ(processed, sets.size());
    EXPECT_TRUE(
        std::all_of(status.begin(), status.end(), [](SQLUSMALLINT s) { return s == SQL_PARAM_SUCCESS; }));
    SQLLEN affected = 0;
    SQLRowCount(c.stmt, &affected);
    EXPECT_EQ(affected, 300);
    EXPECT_NE(stamp(path), before);
    EXPECT_EQ(records_in_file(path, "Parts"), 302u);
    EXPECT_EQ(c.query("SELECT NAME, QTY FROM Parts WHERE QTY = 299"), Rows{row({"pN", "299"})});
    EXPECT_EQ(c.query("SELECT COUNT(*) FROM Parts WHERE NAME = 'pH' AND QTY IS NULL"), Rows{row({"1"})});

    // One bad set (a text for a number column would be fine; a missing
    // value is not): nothing of the array is written.
    ASSERT_EQ(SQLPrepare(c.stmt, (SQLCHAR *)"INSERT INTO [Parts] (NAME, QTY) VALUES (?, ?)", SQL_NTS),
              SQL_SUCCESS);
    sets[5].qty_len = SQL_DATA_AT_EXEC;
    const FileStamp written = stamp(path);
    EXPECT_EQ(SQLExecute(c.stmt), SQL_ERROR);
    EXPECT_EQ(stamp(path), written);
    EXPECT_EQ(records_in_file(path, "Parts"), 302u);
}

TEST(OdbcTypes, ColumnsAreTypedFromAllTheirCells)
{
    ScratchDir dir;
    const std::string path = dir.file("typed.xls");
    workbook::Workbook book;
    book.sheets.push_back({"T", {}});
    auto &rows = book.sheets[0].rows;
    rows.push_back({Cell::make_text("MIXED"), Cell::make_text("DAY"), Cell::make_text("WHEN"),
                    Cell::make_text("OK"), Cell::make_text("AT")});
    double day = 0;
    ASSERT_TRUE(workbook::serial_of_date({2024, 2, 29, 0, 0, 0}, day));
    for (int i = 0; i < 70; ++i)
        rows.push_back({Cell::make_integer(i), Cell::make_serial(CellType::date, day + i),
                        Cell::make_serial(CellType::datetime, day + i + 0.75), Cell::make_boolean(i % 2 == 0),
                        Cell::make_serial(CellType::time, 0.5)});
    rows.push_back({Cell::make_text("a text after 70 numbers"), Cell::make_serial(CellType::date, day),
                    Cell::make_serial(CellType::date, day), Cell::make_boolean(true),
                    Cell::make_serial(CellType::time, 0.25)});
    ASSERT_TRUE(workbook::write_workbook(path, book).ok);

    OdbcClient c;
    ASSERT_EQ(c.connect(library_connection_string(path)), SQL_SUCCESS);
    ASSERT_EQ(c.exec("SELECT * FROM T"), SQL_SUCCESS);
    std::vector<SQLSMALLINT> types;
    for (SQLUSMALLINT i = 1; i <= 5; ++i) {
        SQLSMALLINT t = 0;
        SQLDescribeCol(c.stmt, i, nullptr, 0, nullptr, &t, nullptr, nullptr, nullptr);
        types.push_back(t);
    }
    EXPECT_EQ(types, (std::vector<SQLSMALLINT>{SQL_VARCHAR, SQL_TYPE_DATE, SQL_TYPE_TIMESTAMP, SQL_BIT,
                                               SQL_TYPE_TIME}));
    ASSERT_EQ(SQLFetch(c.stmt), SQL_SUCCESS);
    DATE_STRUCT d{};
    TIMESTAMP_STRUCT ts{};
    TIME_STRUCT t{};
    SQLCHAR ok = 9;
    SQLLEN ind = 0;
    ASSERT_EQ(SQLGetData(c.stmt, 2, SQL_C_TYPE_DATE, &d, sizeof d, &ind), SQL_SUCCESS);
    EXPECT_EQ((std::vector<int>{d.year, d.month, d.day}), (std::vector<int>{2024, 2, 29}));
    ASSERT_EQ(SQLGetData(c.stmt, 3, SQL_C_TYPE_TIMESTAMP, &ts, sizeof ts, &ind), SQL_SUCCESS);
    EXPECT_EQ((std::vector<int>{ts.year, ts.month, ts.day, ts.hour, ts.minute, ts.second}),
              (std::vector<int>{2024, 2, 29, 18, 0, 0}));
    ASSERT_EQ(SQLGetData(c.stmt, 4, SQL_C_BIT, &ok, sizeof ok, &ind), SQL_SUCCESS);
    EXPECT_EQ(ok, 1);
    ASSERT_EQ(SQLGetData(c.stmt, 5, SQL_C_TYPE_TIME, &t, sizeof t, &ind), SQL_SUCCESS);
    EXPECT_EQ(t.hour, 12);
    SQLCloseCursor(c.stmt);
    EXPECT_EQ(c.query("SELECT MIXED, DAY, WHEN, OK, AT FROM T WHERE MIXED = 3"),
              (Rows{row({"3", "2024-03-03", "2024-03-03 18:00:00", "FALSE", "12:00:00"})}));
    EXPECT_EQ(c.query("SELECT MIXED FROM T WHERE MIXED LIKE 'a text%'"),
              Rows{row({"a text after 70 numbers"})});
    EXPECT_EQ(c.query("SELECT COUNT(*) FROM T WHERE DAY >= {d '2024-05-01'}"), Rows{row({"8"})});

    // SQLGetTypeInfo lists the types, ordered by their code.
    ASSERT_EQ(SQLGetTypeInfo(c.stmt, SQL_ALL_TYPES), SQL_SUCCESS);
    const Rows info = c.fetch_all();
    std::vector<std::string> listed;
    for (const Row &r : info)
        listed.push_back(*r.at(0) + "=" + *r.at(1));
    EXPECT_EQ(listed, (std::vector<std::string>{"BIT=-7", "NUMBER=8", "VARCHAR=12", "DATE=91", "TIME=92",
                                                "DATETIME=93"}));
    ASSERT_EQ(SQLGetTypeInfo(c.stmt, SQL_TYPE_TIMESTAMP), SQL_SUCCESS);
    EXPECT_EQ(c.fetch_all().size(), 1u);
}

TEST(OdbcUnicode, WideEntryPointsGiveNamesExactlyInCharacters)
{
    ScratchDir dir;
    const std::string path = dir.file("unicode.xls");
    workbook::Workbook book;
    book.sheets.push_back({"Maße", {}});
    book.sheets[0].rows = {{Cell::make_text("Größe"), Cell::make_text("日本"), Cell::make_text("Prix €")},
                           {Cell::make_integer(1), Cell::make_text("東京"), Cell::make_real(2.5)}};
    ASSERT_TRUE(workbook::write_workbook(path, book).ok);

    ::setenv("ODBCSYSINI", CVSTV_ODBCSYSINI_DIR, 1);
    SQLHENV env;
    SQLHDBC dbc;
    SQLHSTMT stmt;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    auto wide = [](const std::string &s) {
        const std::u16string u = workbook::utf8_to_utf16(s);
        return std::vector<SQLWCHAR>(u.begin(), u.end() + 1);
    };
    auto cs = wide("DRIVER={" + std::string(driver_name()) + "};DBQ=" + path);
    ASSERT_EQ(SQLDriverConnectW(dbc, nullptr, cs.data(), SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT),
              SQL_SUCCESS);
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
    auto sql = wide("SELECT [Größe], [日本], [Prix €] FROM [Maße$] WHERE [日本] = '東京'");
    ASSERT_EQ(SQLExecDirectW(stmt, sql.data(), SQL_NTS), SQL_SUCCESS);
    const std::u16string expected[] = {u"Größe", u"日本", u"Prix €"};
    for (SQLUSMALLINT i = 1; i <= 3; ++i) {
        SQLWCHAR name[16] = {};
        SQLSMALLINT length = 0;
        ASSERT_EQ(SQLDescribeColW(stmt, i, name, 16, &length, nullptr, nullptr, nullptr, nullptr),
                  SQL_SUCCESS);
        EXPECT_EQ(length, static_cast<SQLSMALLINT>(expected[i - 1].size())) << "characters, not bytes";
        EXPECT_EQ(std::u16string(reinterpret_cast<char16_t *>(name)), expected[i - 1]);
        SQLSMALLINT bytes = 0;
        SQLWCHAR label[16] = {};
        ASSERT_EQ(SQLColAttributeW(stmt, i, SQL_DESC_LABEL, label, sizeof label, &bytes, nullptr),
                  SQL_SUCCESS);
        EXPECT_EQ(bytes, static_cast<SQLSMALLINT>(2 * expected[i - 1].size())) << "bytes for attributes";
    }
    SQLWCHAR cut[3] = {};
    SQLSMALLINT full = 0;
    EXPECT_EQ(SQLDescribeColW(stmt, 3, cut, 3, &full, nullptr, nullptr, nullptr, nullptr),
              SQL_SUCCESS_WITH_INFO);
    EXPECT_EQ(std::u16string(reinterpret_cast<char16_t *>(cut)), u"Pr");
    EXPECT_EQ(full, 6);
    ASSERT_EQ(SQLFetch(stmt), SQL_SUCCESS);
    SQLWCHAR value[8] = {};
    SQLLEN ind = 0;
    ASSERT_EQ(SQLGetData(stmt, 2, SQL_C_WCHAR, value, sizeof value, &ind), SQL_SUCCESS);
    EXPECT_EQ(std::u16string(reinterpret_cast<char16_t *>(value)), u"東京");
    SQLCloseCursor(stmt);

    auto bad = wide("SELECT [Größx] FROM [Maße$]");
    EXPECT_EQ(SQLExecDirectW(stmt, bad.data(), SQL_NTS), SQL_ERROR);
    SQLWCHAR state[6] = {}, message[200] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT message_length = 0;
    ASSERT_EQ(SQLGetDiagRecW(SQL_HANDLE_STMT, stmt, 1, state, &native, message, 200, &message_length),
              SQL_SUCCESS);
    const std::u16string text(reinterpret_cast<char16_t *>(message));
    EXPECT_EQ(static_cast<std::size_t>(message_length), text.size());
    EXPECT_NE(text.find(u"'Größx'"), std::u16string::npos);
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
}

// Texts up to the format's 32,767 characters are written (they span several
// records of the shared-string table) and read back, by the driver and by
// xlrd; a longer one is refused before anything changes.
TEST(OdbcLongTexts, TextsUpToTheFormatsLimitAreWritten)
{
    ScratchDir dir;
    const std::string path = dir.file("long.xls");
    write_parts_workbook(path);
    OdbcClient c;
    ASSERT_EQ(c.connect(library_connection_string(path)), SQL_SUCCESS);
    const std::string xs(32767, 'x');
    std::string euros;
    for (int i = 0; i < 20000; ++i)
        euros += "€";
    ASSERT_EQ(c.exec("INSERT INTO [Parts] (NAME, F3) VALUES('" + xs + "', 'long')"), SQL_SUCCESS)
        << c.message();
    ASSERT_EQ(SQLPrepare(c.stmt, (SQLCHAR *)"INSERT INTO [Parts] (NAME, F3) VALUES(?, 'euro')", SQL_NTS),
              SQL_SUCCESS);
    SQLLEN length = SQL_NTS;
    SQLBindParameter(c.stmt, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, euros.size(), 0, euros.data(),
                     static_cast<SQLLEN>(euros.size() + 1), &length);
    ASSERT_EQ(SQLExecute(c.stmt), SQL_SUCCESS) << c.message();
    SQLFreeStmt(c.stmt, SQL_RESET_PARAMS);
    const std::string before = slurp(path);
    EXPECT_EQ(c.exec("INSERT INTO [Parts] (NAME) VALUES('" + std::string(32768, 'y') + "')"), SQL_ERROR);
    EXPECT_EQ(c.state(), "22001");
    EXPECT_EQ(slurp(path), before);

    OdbcClient again;
    ASSERT_EQ(again.connect(library_connection_string(path)), SQL_SUCCESS);
    const Rows long_row = again.query("SELECT NAME FROM Parts WHERE F3='long'");
    const Rows euro_row = again.query("SELECT NAME FROM Parts WHERE F3='euro'");
    ASSERT_EQ(long_row.size(), 1u);
    ASSERT_EQ(euro_row.size(), 1u);
    EXPECT_TRUE(long_row[0].at(0) == xs) << "the 32,767 x come back whole";
    EXPECT_TRUE(euro_row[0].at(0) == euros) << "the 20,000 euro signs come back whole";
    int status = 0;
    const std::string out =
        run_program({"/usr/bin/python3", "-c",
                     "import xlrd,sys; s=xlrd.open_workbook(sys.argv[1]).sheet_by_index(0); "
                     "print([len(s.cell_value(r,0)) for r in range(s.nrows)])",
                     path},
                    status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_EQ(out, "[4, 4, 0, 3, 32767, 20000]\n");
}

// The SQL and connection-string parsers on their own: how names, values and
// quoting come out (the driver-manager tests cover what they do).
#include "odbc/connection_string.h"
#include "odbc/sql_parser.h"

#include <gtest/gtest.h>

using namespace xlsodbc;
using workbook::CellType;

TEST(SqlParser, TableNamesInEveryFormNameTheSheet)
{
    for (const char *sql : {"DROP TABLE Parts", "DROP TABLE Parts$", "DROP TABLE [Parts]", "DROP TABLE [Parts$]",
                            "DROP TABLE `Parts$`", "DROP TABLE \"Parts$\"", "DROP TABLE ['Parts$']"})
        EXPECT_EQ(std::get<DropTable>(parse_sql(sql)).table, "Parts") << sql;
    EXPECT_EQ(std::get<DropTable>(parse_sql("drop table [My Parts 2$];")).table, "My Parts 2");
    EXPECT_EQ(std::get<DropTable>(parse_sql("DROP TABLE [A$$]")).table, "A$") << "one '$' belongs to SQL";
    auto rename = std::get<RenameTable>(parse_sql("ALTER TABLE [Old$] RENAME TO [New$]"));
    EXPECT_EQ(rename.from, "Old");
    EXPECT_EQ(rename.to, "New");
}

TEST(SqlParser, ValuesKeepTheirTypes)
{
    auto ins = std::get<Insert>(parse_sql("INSERT INTO [T] VALUES('it''s', '', 12, -7, 2.500000, -.5, 1e3, NULL) "));
    ASSERT_EQ(ins.values.size(), 8u);
    EXPECT_EQ(ins.values[0].text, "it's");
    EXPECT_EQ(ins.values[1].type, CellType::text);
    EXPECT_EQ(ins.values[1].text, "");
    EXPECT_EQ(ins.values[2].type, CellType::integer);
    EXPECT_EQ(ins.values[2].integer, 12);
    EXPECT_EQ(ins.values[3].integer, -7);
    EXPECT_EQ(ins.values[4].type, CellType::real);
    EXPECT_EQ(ins.values[4].real, 2.5);
    EXPECT_EQ(ins.values[5].real, -0.5);
    EXPECT_EQ(ins.values[6].real, 1000.0);
    EXPECT_EQ(ins.values[7].type, CellType::empty);
    EXPECT_EQ(std::get<Insert>(parse_sql("INSERT INTO T VALUES(99999999999999999999)")).values[0].type, CellType::real)
        << "too large for 64 bits";
}

TEST(SqlParser, StatementsAsTheWorkbookLibraryBuildsThem)
{
    auto create = std::get<CreateTable>(parse_sql("CREATE TABLE [Cfg] (KEY text(50),VAL number,^ double precision)"));
    ASSERT_EQ(create.columns.size(), 3u);
    EXPECT_EQ(create.columns[0].type, "text(50)");
    EXPECT_EQ(create.columns[2].name, "");
    EXPECT_EQ(create.columns[2].type, "double precision");

    auto up = std::get<Update>(parse_sql("UPDATE Cfg SET A=1, B='x'  WHERE KEY=2.000000"));
    ASSERT_EQ(up.assignments.size(), 2u);
    EXPECT_EQ(up.assignments[1].first, "B");
    ASSERT_EQ(up.where.size(), 1u);
    EXPECT_EQ(up.where[0].value.real, 2.0);

    auto sel = std::get<Select>(parse_sql("SELECT A, B   FROM Cfg WHERE KEY='k'"));
    EXPECT_EQ(sel.columns, (std::vector<std::string>{"A", "B"}));
    EXPECT_TRUE(std::get<Select>(parse_sql("SELECT * FROM `Cfg$`")).columns.empty());

    auto ins = std::get<Insert>(parse_sql("INSERT INTO [Cfg] (KEY, VAL) VALUES('a', 1) "));
    EXPECT_EQ(ins.columns, (std::vector<std::string>{"KEY", "VAL"}));
    EXPECT_TRUE(std::get<Delete>(parse_sql("DELETE FROM Cfg")).where.empty());
}

TEST(SqlParser, ErrorsAreSyntaxErrorsWithAPosition)
{
    try {
        parse_sql("SELECT * FROM T WHERE A = 'x' garbage");
        FAIL();
    } catch (const SqlError &e) {
        EXPECT_EQ(e.state, "42000");
        EXPECT_STREQ(e.what(), "Syntax error: unexpected 'garbage' at position 31");
    }
}

TEST(ConnectionString, BracesQuotesAndKeysInAnyCase)
{
    auto cs = parse_connection_string(
        "DRIVER={MICROSOFT EXCEL DRIVER (*.XLS)};DSN='';firstrowhasnames=1;CREATE_DB=\"C:\\a b\\x.xls\";"
        "DBQ={C:\\a;b}}.xls};Extra = \"say \"\"hi\"\"\" ;junk;DBQ=second");
    EXPECT_EQ(cs.get("DRIVER"), "MICROSOFT EXCEL DRIVER (*.XLS)");
    EXPECT_EQ(cs.get("DSN"), "''");
    EXPECT_EQ(cs.get("FIRSTROWHASNAMES"), "1");
    EXPECT_EQ(cs.get("CREATE_DB"), "C:\\a b\\x.xls");
    EXPECT_EQ(cs.get("DBQ"), "C:\\a;b}.xls") << "the first value of a key wins";
    EXPECT_EQ(cs.get("EXTRA"), "say \"hi\"");
    EXPECT_EQ(cs.malformed, std::vector<std::string>{"junk"});
    EXPECT_FALSE(parse_connection_string("DBQ={unterminated").get("DBQ"));

    EXPECT_EQ(parse_flag(" true"), true);
    EXPECT_EQ(parse_flag("No"), false);
    EXPECT_EQ(parse_flag("0"), false);
    EXPECT_EQ(parse_flag("maybe"), std::nullopt);
}

// The SQL and connection-string parsers on their own: how names, values and
// quoting come out (the driver-manager tests cover what they do).
#include "odbc/connection_string.h"
#include "odbc/sql_parser.h"

#include <gtest/gtest.h>

using namespace xlsodbc;
using workbook::CellType;

TEST(SqlParser, TableNamesInEveryFormNameTheSheet)
{
    for (const char *sql :
         {"DROP TABLE Parts", "DROP TABLE Parts$", "DROP TABLE [Parts]", "DROP TABLE [Parts$]",
          "DROP TABLE `Parts$`", "DROP TABLE \"Parts$\"", "DROP TABLE ['Parts$']"})
        EXPECT_EQ(std::get<DropTable>(parse_sql(sql).statement).table, "Parts") << sql;
    EXPECT_EQ(std::get<DropTable>(parse_sql("drop table [My Parts 2$];").statement).table, "My Parts 2");
    EXPECT_EQ(std::get<DropTable>(parse_sql("DROP TABLE [A$$]").statement).table, "A$")
        << "one '$' belongs to SQL";
    auto rename = std::get<RenameTable>(parse_sql("ALTER TABLE [Old$] RENAME TO [New$]").statement);
    EXPECT_EQ(rename.from, "Old");
    EXPECT_EQ(rename.to, "New");
}

namespace {

template <class S> S parsed(const char *sql)
{
    return std::get<S>(parse_sql(sql).statement);
}

} // namespace

TEST(SqlParser, ValuesKeepTheirTypes)
{
    auto ins = parsed<Insert>("INSERT INTO [T] VALUES('it''s', '', 12, -7, 2.500000, -.5, 1e3, NULL, '0x3', "
                              "{d '2024-01-31'}, {ts '2024-01-31 13:45:30'}, {t '06:00:00'}) ");
    ASSERT_EQ(ins.values.size(), 12u);
    EXPECT_EQ(ins.values[0].value.text, "it's");
    EXPECT_EQ(ins.values[1].value.type, CellType::text);
    EXPECT_EQ(ins.values[1].value.text, "");
    EXPECT_EQ(ins.values[2].value.type, CellType::integer);
    EXPECT_EQ(ins.values[2].value.integer, 12);
    EXPECT_EQ(ins.values[3].value.integer, -7);
    EXPECT_EQ(ins.values[4].value.type, CellType::real);
    EXPECT_EQ(ins.values[4].value.real, 2.5);
    EXPECT_EQ(ins.values[5].value.real, -0.5);
    EXPECT_EQ(ins.values[6].value.real, 1000.0);
    EXPECT_EQ(ins.values[7].value.type, CellType::empty);
    EXPECT_EQ(ins.values[8].value.type, CellType::text) << "a quoted hex-looking value is text";
    EXPECT_EQ(ins.values[9].value.as_text(), "2024-01-31");
    EXPECT_EQ(ins.values[9].value.type, CellType::date);
    EXPECT_EQ(ins.values[10].value.as_text(), "2024-01-31 13:45:30");
    EXPECT_EQ(ins.values[11].value.real, 0.25);
    EXPECT_EQ(parsed<Insert>("INSERT INTO T VALUES(99999999999999999999)").values[0].value.type,
              CellType::real)
        << "too large for 64 bits";
}

TEST(SqlParser, StatementsAsTheWorkbookLibraryBuildsThem)
{
    auto create = parsed<CreateTable>("CREATE TABLE [Cfg] (KEY text(50),VAL number,^ double precision)");
    ASSERT_EQ(create.columns.size(), 3u);
    EXPECT_EQ(create.columns[0].type, "text(50)");
    EXPECT_EQ(create.columns[2].name, "");
    EXPECT_EQ(create.columns[2].type, "double precision");

    auto up = parsed<Update>("UPDATE Cfg SET A=1, B='x'  WHERE KEY=2.000000");
    ASSERT_EQ(up.assignments.size(), 2u);
    EXPECT_EQ(up.assignments[1].first, "B");
    ASSERT_TRUE(up.where);
    EXPECT_EQ(up.where->kind, Condition::Kind::compare);
    EXPECT_EQ(up.where->operands[0].column, "KEY");
    EXPECT_EQ(up.where->operands[1].value.real, 2.0);

    auto sel = parsed<Select>("SELECT A, B   FROM Cfg WHERE KEY='k'");
    ASSERT_EQ(sel.items.size(), 2u);
    EXPECT_EQ(sel.items[1].column, "B");
    EXPECT_TRUE(parsed<Select>("SELECT * FROM `Cfg$`").items.empty());

    auto ins = parsed<Insert>("INSERT INTO [Cfg] (KEY, VAL) VALUES('a', 1) ");
    EXPECT_EQ(ins.columns, (std::vector<std::string>{"KEY", "VAL"}));
    EXPECT_FALSE(parsed<Delete>("DELETE FROM Cfg").where);
}

TEST(SqlParser, ConditionsNestWithAndBeforeOr)
{
    auto sel =
        parsed<Select>("SELECT * FROM T WHERE A = 1 OR NOT B <> 2 AND (C LIKE 'x%' ESCAPE '!' OR D IS NOT "
                       "NULL) -- a comment\n AND E IN (1, 'two', ?) /* another */ AND F BETWEEN 1 AND 5");
    ASSERT_TRUE(sel.where);
    const Condition &top = *sel.where;
    ASSERT_EQ(top.kind, Condition::Kind::or_);
    EXPECT_EQ(top.parts[0].kind, Condition::Kind::compare);
    const Condition &ands = top.parts[1]; // ((NOT B<>2 AND (...)) AND E IN) AND F BETWEEN
    ASSERT_EQ(ands.kind, Condition::Kind::and_);
    EXPECT_EQ(ands.parts[1].kind, Condition::Kind::between);
    ASSERT_EQ(ands.parts[0].kind, Condition::Kind::and_);
    EXPECT_EQ(ands.parts[0].parts[1].kind, Condition::Kind::in);
    EXPECT_EQ(ands.parts[0].parts[1].operands.size(), 4u);
    EXPECT_EQ(ands.parts[0].parts[1].operands[3].kind, Operand::Kind::parameter);
    const Condition &inner = ands.parts[0].parts[0];
    EXPECT_EQ(inner.parts[0].kind, Condition::Kind::not_);
    EXPECT_EQ(inner.parts[1].kind, Condition::Kind::or_);
    EXPECT_EQ(inner.parts[1].parts[0].escape, "!");
    EXPECT_TRUE(inner.parts[1].parts[1].negated);
}

TEST(SqlParser, ParametersAreNumberedInTheOrderWritten)
{
    const ParsedSql p = parse_sql("UPDATE T SET A = ?, B = 'x?' WHERE C = ? AND D > ?");
    EXPECT_EQ(p.parameter_count, 3);
    const auto &up = std::get<Update>(p.statement);
    EXPECT_EQ(up.assignments[0].second.parameter, 0);
    EXPECT_EQ(up.where->parts[1].operands[1].parameter, 2);
    EXPECT_EQ(parse_sql("INSERT INTO T VALUES (?, ?, ?)").parameter_count, 3);
    EXPECT_EQ(parse_sql("SELECT [a?] FROM T").parameter_count, 0) << "inside a quoted name";
}

TEST(SqlParser, AggregatesOrderAndAliases)
{
    auto count = parsed<Select>("SELECT COUNT(*), MIN(L) AS shortest, max(L) FROM T");
    ASSERT_TRUE(count.aggregate());
    EXPECT_EQ(count.items[0].kind, SelectItem::Kind::count_star);
    EXPECT_EQ(count.items[1].alias, "shortest");
    EXPECT_EQ(count.items[2].kind, SelectItem::Kind::max);
    auto ordered = parsed<Select>("SELECT D AS [Diameter], L FROM T ORDER BY D DESC, L");
    EXPECT_EQ(ordered.items[0].alias, "Diameter");
    ASSERT_EQ(ordered.order_by.size(), 2u);
    EXPECT_TRUE(ordered.order_by[0].descending);
    EXPECT_FALSE(ordered.order_by[1].descending);
    for (const char *bad : {"SELECT COUNT(*), D FROM T", "SELECT COUNT(D FROM T", "SELECT * FROM T ORDER D",
                            "SELECT * FROM T WHERE A NOT = 1", "SELECT * FROM T WHERE A LIKE 'x' ESCAPE 'ab'",
                            "SELECT * FROM T WHERE {d '2024-13-01'} = A", "SELECT * /* open"}) {
        try {
            parse_sql(bad);
            ADD_FAILURE() << bad;
        } catch (const SqlError &e) {
            EXPECT_TRUE(e.state == "42000" || e.state == "22007") << bad << ": " << e.state;
        }
    }
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

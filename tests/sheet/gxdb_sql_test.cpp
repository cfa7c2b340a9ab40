// The SQL texts of the workbook database, exactly as they reach the driver,
// and the limits that refuse a statement instead of cutting it.
#include "host_test.h"

#include "sheet/gxdb_sql.h"

#include <clocale>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace cvstv::gxdb;

namespace {

sGXDB_Field field(const char *name, const char *type = "", int size = 0, int has_size = 0)
{
    sGXDB_Field f{};
    std::strncpy(f.name, name, sizeof f.name - 1);
    std::strncpy(f.type, type, sizeof f.type - 1);
    f.size = size;
    f.has_size = has_size;
    return f;
}

sGXDB_Field_Value integer(int v)
{
    sGXDB_Field_Value value{};
    value.type = GXDB_VALUE_INTEGER;
    value.value.i = v;
    return value;
}

sGXDB_Field_Value real(double v)
{
    sGXDB_Field_Value value{};
    value.type = GXDB_VALUE_REAL;
    value.value.d = v;
    return value;
}

sGXDB_Field_Value text(const std::string &v)
{
    sGXDB_Field_Value value{};
    value.type = GXDB_VALUE_TEXT;
    std::strncpy(value.value.s, v.c_str(), sizeof value.value.s - 1);
    return value;
}

std::string or_refused(const std::optional<std::string> &sql)
{
    return sql ? *sql : "<refused>";
}

} // namespace

TEST(GxdbRecordLayout, FieldsKeepTheirDocumentedOffsetsAndSizes)
{
    EXPECT_EQ(offsetof(sGXDB_Field, name), 0u);
    EXPECT_EQ(offsetof(sGXDB_Field, type), 100u);
    EXPECT_EQ(offsetof(sGXDB_Field, size), 200u);
    EXPECT_EQ(offsetof(sGXDB_Field, has_size), 204u);
    EXPECT_EQ(sizeof(sGXDB_Field), 208u);
    EXPECT_EQ(offsetof(sGXDB_Field_Value, value), 8u) << "the value union is 8-byte aligned";
    EXPECT_EQ(sizeof(sGXDB_Field_Value::value), 136u);
    EXPECT_EQ(sizeof(sGXDB_Field_Value), 144u);
}

TEST(GxdbSql, TableStatements)
{
    sGXDB_Field fields[] = {field("NAME", "text", 50, 1), field("SIZE", "number"),
                            field("NOTE", "text", 20, 0)};
    EXPECT_EQ(or_refused(create_table_sql("Prices", 3, fields)),
              "CREATE TABLE [Prices] (NAME text(50),SIZE number,NOTE text)")
        << "the size is given only when has_size is set";
    EXPECT_EQ(or_refused(drop_table_sql("Prices")), "DROP TABLE Prices");
    EXPECT_EQ(or_refused(delete_all_sql("[Prices$]")), "DELETE FROM [Prices$]");
    EXPECT_EQ(or_refused(rename_table_sql("Old", "New")), "ALTER TABLE [Old$] RENAME TO [New$]");
    EXPECT_EQ(or_refused(select_all_sql("Prices$")), "SELECT * FROM `Prices$`");
    EXPECT_EQ(or_refused(create_table_sql("T", 0, fields)), "<refused>");
}

TEST(GxdbSql, InsertWithAndWithoutColumnNamesAndBlankRecords)
{
    sGXDB_Field fields[] = {field("D"), field("L"), field("NAME")};
    sGXDB_Field_Value values[] = {integer(8), real(2.5), text("M8x20")};
    EXPECT_EQ(or_refused(insert_sql("Screws", 3, fields, values)),
              "INSERT INTO [Screws] (D, L, NAME) VALUES(8, 2.500000, 'M8x20') ");
    EXPECT_EQ(or_refused(insert_sql("Screws", 3, nullptr, values)),
              "INSERT INTO [Screws] VALUES(8, 2.500000, 'M8x20') ");
    EXPECT_EQ(or_refused(insert_blank_sql("Screws", 3)), "INSERT INTO [Screws] VALUES ('', '', '') ");
    EXPECT_EQ(or_refused(insert_blank_sql("Screws", 1)), "INSERT INTO [Screws] VALUES ('') ");
}

TEST(GxdbSql, ValuesByTypeWithQuotesDoubledAndUnknownTypesRefused)
{
    EXPECT_EQ(or_refused(value_literal(integer(-12))), "-12");
    EXPECT_EQ(or_refused(value_literal(real(0.1))), "0.100000");
    EXPECT_EQ(or_refused(value_literal(text("O'Brien"))), "'O''Brien'");
    EXPECT_EQ(or_refused(value_literal(text(""))), "''");
    sGXDB_Field_Value odd = integer(1);
    odd.type = 7;
    EXPECT_EQ(or_refused(value_literal(odd)), "<refused>");

    sGXDB_Field fields[] = {field("K"), field("V")};
    sGXDB_Field_Value values[] = {integer(1), odd};
    EXPECT_EQ(or_refused(insert_sql("T", 2, fields, values)), "<refused>")
        << "a value the statement cannot carry is not sent as a gap";
}

// Reals are the texts "%f" writes in the C locale, under any LC_NUMERIC: a
// decimal comma would split one value into two.
TEST(GxdbSql, RealsAreTheCLocalesFixedTextUnderADecimalCommaLocale)
{
    const double reals[] = {2.5,   -0.125,    0.0,      -0.0, 1e-7, 0.0000005, 0.0000015, 123456789.987654321,
                            -1e20, 2.0 / 3.0, 1.0 / 0.0};
    std::vector<std::string> in_c;
    for (double r : reals) {
        char text[400];
        std::snprintf(text, sizeof text, "%f", r);
        in_c.emplace_back(text);
    }
    std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr)
        << "the de_DE.UTF-8 locale is missing: scripts/install_deps.sh generates it";
    std::vector<std::string> in_german;
    for (double r : reals)
        in_german.push_back(or_refused(value_literal(real(r))));
    sGXDB_Field fields[] = {field("K"), field("V")};
    sGXDB_Field_Value values[] = {real(1.5), real(2.25)};
    std::string update = or_refused(update_sql("T", 2, 1, fields, values));
    std::string huge = or_refused(value_literal(real(1e300)));
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(in_german, in_c);
    EXPECT_EQ(huge, "<refused>") << "301 digits do not fit a piece of 99 characters";
    EXPECT_EQ(in_c[0], "2.500000");
    EXPECT_EQ(update, "UPDATE T SET V=2.250000  WHERE K=1.500000");
}

TEST(GxdbSql, UpdateEndsItsAssignmentsWithTwoBlanksWhereverTheKeyIs)
{
    sGXDB_Field fields[] = {field("ID"), field("NAME"), field("QTY")};
    sGXDB_Field_Value values[] = {integer(4), text("bolt"), real(1.5)};
    EXPECT_EQ(or_refused(update_sql("Stock", 3, 1, fields, values)),
              "UPDATE Stock SET NAME='bolt', QTY=1.500000  WHERE ID=4");
    EXPECT_EQ(or_refused(update_sql("Stock", 3, 2, fields, values)),
              "UPDATE Stock SET ID=4, QTY=1.500000  WHERE NAME='bolt'");
    EXPECT_EQ(or_refused(update_sql("Stock", 3, 3, fields, values)),
              "UPDATE Stock SET ID=4, NAME='bolt'  WHERE QTY=1.500000")
        << "with the key last, no comma is left before WHERE";
    EXPECT_EQ(or_refused(update_sql("Stock", 3, 0, fields, values)), "<refused>");
    EXPECT_EQ(or_refused(update_sql("Stock", 3, 4, fields, values)), "<refused>");
    EXPECT_EQ(or_refused(update_sql("Stock", 1, 1, fields, values)), "<refused>") << "nothing to set";
}

TEST(GxdbSql, SingleRecordQueryAndDelete)
{
    sGXDB_Field fields[] = {field("D"), field("L"), field("K")};
    sGXDB_Field_Value values[] = {integer(0), real(0), text("M8")};
    EXPECT_EQ(or_refused(select_record_sql("[Screws$]", 3, 3, fields, values)),
              "SELECT D, L  FROM [Screws$] WHERE K='M8'");
    EXPECT_EQ(or_refused(select_record_sql("[Screws$]", 3, 1, fields, values)),
              "SELECT L, K  FROM [Screws$] WHERE D=0");
    EXPECT_EQ(or_refused(delete_record_sql("[Screws$]", 3, fields, values)),
              "DELETE FROM [Screws$] WHERE K='M8'");
    EXPECT_EQ(or_refused(delete_record_sql("[Screws$]", 0, fields, values)), "<refused>");
}

TEST(GxdbSql, PiecesAndStatementsOverTheirLimitsAreRefusedNotCut)
{
    // A text value of 97 characters is a 99-character piece with its quotes.
    sGXDB_Field fields[] = {field("K"), field("V")};
    sGXDB_Field_Value fits[] = {integer(1), text(std::string(97, 'x'))};
    EXPECT_TRUE(insert_sql("T", 2, fields, fits));
    sGXDB_Field_Value too_long[] = {integer(1), text(std::string(98, 'x'))};
    EXPECT_EQ(or_refused(insert_sql("T", 2, fields, too_long)), "<refused>");
    EXPECT_EQ(or_refused(value_literal(real(1e120))), "<refused>") << "\"%f\" of 1e120 is over 99 characters";

    // The key test of UPDATE is one piece (name, "=" and value); DELETE
    // writes the name with "=" and the value as two.
    sGXDB_Field long_key[] = {field(std::string(60, 'k').c_str()), field("V")};
    sGXDB_Field_Value key_values[] = {text(std::string(37, 'v')), integer(1)};
    EXPECT_EQ(or_refused(update_sql("T", 2, 1, long_key, key_values)), "<refused>")
        << "a cut WHERE would change other records";
    EXPECT_TRUE(delete_record_sql("T", 1, long_key, key_values));

    // Twenty 45-character values overflow the 1000-character statement.
    sGXDB_Field many_fields[20];
    sGXDB_Field_Value many_values[20];
    for (int i = 0; i < 20; ++i) {
        many_fields[i] = field(("C" + std::to_string(i)).c_str());
        many_values[i] = text(std::string(45, 'v'));
    }
    EXPECT_EQ(or_refused(insert_sql("T", 20, nullptr, many_values)), "<refused>");
    EXPECT_TRUE(insert_sql("T", 19, nullptr, many_values)) << "19 of them still fit";

    EXPECT_TRUE(drop_table_sql(std::string(488, 't')));
    EXPECT_EQ(or_refused(drop_table_sql(std::string(489, 't'))), "<refused>") << "DROP TABLE fits 499";
    EXPECT_TRUE(select_all_sql(std::string(116, 't')));
    EXPECT_EQ(or_refused(select_all_sql(std::string(117, 't'))), "<refused>") << "SELECT * fits 132";
}

TEST(GxdbSql, UnterminatedFieldArraysAreReadNoFurtherThanTheirSize)
{
    sGXDB_Field f{};
    std::memset(f.name, 'n', sizeof f.name);
    std::memset(f.type, 't', sizeof f.type);
    EXPECT_EQ(field_name(f).size(), 100u);
    EXPECT_EQ(field_type(f).size(), 100u);
    sGXDB_Field_Value v{};
    v.type = GXDB_VALUE_TEXT;
    std::memset(v.value.s, 's', sizeof v.value.s);
    EXPECT_EQ(value_string(v).size(), 136u);
    EXPECT_EQ(or_refused(value_literal(v)), "<refused>");
}

TEST(GxdbSql, ConnectionStringPassesThePathThroughTwice)
{
    EXPECT_EQ(or_refused(connection_string("C:\\kit\\data\\screws.xls")),
              "DRIVER={MICROSOFT EXCEL DRIVER (*.XLS)};DSN='';FIRSTROWHASNAMES=1;READONLY=FALSE;"
              "CREATE_DB=\"C:\\kit\\data\\screws.xls\";DBQ=C:\\kit\\data\\screws.xls");
    EXPECT_EQ(or_refused(connection_string(std::string(500, 'p'))), "<refused>") << "over 1023 characters";
}

// Keyword codes, keyword values, lines and blocks, the bitmap cell, and the
// field-name row.
#include "host_test.h"
#include "sheet_test_table.h"

#include <string>

using Strings = std::vector<std::string>;

class SheetQueryTest : public HostTest {};

TEST_F(SheetQueryTest, KeywordsAreMatchedWholeWithCase)
{
    EXPECT_EQ(sheet_str_is_keyword("PARAMETERS"), 1100);
    EXPECT_EQ(sheet_str_is_keyword("END"), 1101);
    EXPECT_EQ(sheet_str_is_keyword("AFTER_EXP_UPDATE"), 1119);
    EXPECT_EQ(sheet_str_is_keyword("BITMAP"), 1002);
    EXPECT_EQ(sheet_str_is_keyword("end"), 0);
    EXPECT_EQ(sheet_str_is_keyword("END "), 0);
    EXPECT_EQ(sheet_str_is_keyword(nullptr), 0);
}

TEST_F(SheetQueryTest, KeywordValueAndLineComeFromTheFirstKeywordRow)
{
    TestTable t({
        {"SHEET_TYPE", "catalogue", "v2", nullptr, "after gap"},
        {"SHEET_TYPE", "second", nullptr, nullptr, nullptr},
        {"COMMENT", nullptr, "x", nullptr, nullptr},
    });
    char value[SHEET_VALUE_SIZE] = "";
    EXPECT_EQ(sheet_ask_keyword_value(t.get(), SHEET_KW_SHEET_TYPE, value), 0);
    EXPECT_STREQ(value, "catalogue");
    EXPECT_EQ(sheet_ask_keyword_value(t.get(), SHEET_KW_COMMENT, value), -1);  // empty second cell
    EXPECT_EQ(sheet_ask_keyword_value(t.get(), SHEET_KW_POSITION, value), -1); // no row

    TestList line;
    EXPECT_EQ(sheet_ask_keyword_line(t.get(), SHEET_KW_SHEET_TYPE, line.out()), 0);
    EXPECT_EQ(line.items(), (Strings{"catalogue", "v2"})); // up to the first empty cell
    TestList none;
    EXPECT_EQ(sheet_ask_keyword_line(t.get(), SHEET_KW_COMMENT, none.out()), -1);
    EXPECT_EQ(none.get(), nullptr);

    // A value longer than the documented 251 characters is cut.
    std::string long_value(300, 'v');
    TestTable l(SheetGrid{{"SHEET_TYPE", long_value.c_str()}});
    EXPECT_EQ(sheet_ask_keyword_value(l.get(), SHEET_KW_SHEET_TYPE, value), 0);
    EXPECT_EQ(std::string(value), std::string(251, 'v'));
}

TEST_F(SheetQueryTest, KeywordListSplitsTheBlockRowsAtEquals)
{
    TestTable t({
        {"EXPRESSIONS", nullptr},
        {"H=20", "ignored"},
        {nullptr, "no first cell"},
        {"W", nullptr},      // no '=': value "Empty"
        {"R==3=4", nullptr}, // value up to a further '='
        {"PARAMETERS", nullptr},
        {"X=1", nullptr},
    });
    TestList names, values;
    EXPECT_EQ(sheet_ask_keyword_list(t.get(), SHEET_KW_EXPRESSIONS, names.out(), values.out()), 3);
    EXPECT_EQ(names.items(), (Strings{"H", "W", "R"}));
    EXPECT_EQ(values.items(), (Strings{"20", "Empty", "3"}));

    TestList n2, v2;
    EXPECT_EQ(sheet_ask_keyword_list(t.get(), SHEET_KW_ATTRIBUTES, n2.out(), v2.out()), 0);
    EXPECT_EQ(n2.get(), nullptr);
    EXPECT_EQ(v2.get(), nullptr);
}

TEST_F(SheetQueryTest, LastBitmapCellWins)
{
    TestTable t(
        {{"BITMAP", "first.bmp", "BITMAP"}, {"x", "BITMAP", "second.bmp"}, {"BITMAP", nullptr, "BITMAP"}});
    char file[SHEET_BITMAP_SIZE] = "untouched";
    EXPECT_EQ(sheet_ask_bitmap(t.get(), file), 0);
    EXPECT_STREQ(file, "second.bmp");

    TestTable none(SheetGrid{{"BITMAP", nullptr}});
    std::strcpy(file, "untouched");
    EXPECT_EQ(sheet_ask_bitmap(none.get(), file), -1);
    EXPECT_STREQ(file, "untouched");
}

TEST_F(SheetQueryTest, FieldNameRowFollowsParametersOrIsRowZero)
{
    TestTable with({{"SHEET_TYPE", "x", nullptr},
                    {"PARAMETERS", nullptr, nullptr},
                    {"NAME", nullptr, "D"},
                    {"a", "b", "c"}});
    EXPECT_EQ(sheet_ask_field_start_no(with.get()), 2);
    char **row = nullptr;
    EXPECT_EQ(sheet_field_name_list(with.get(), &row), 2);
    EXPECT_EQ(row, with->rows[2]); // the table's own row
    TestList names;
    EXPECT_EQ(sheet_ask_field_name_list(with.get(), names.out()), 2);
    EXPECT_EQ(names.items(), (Strings{"NAME", "D"}));

    TestTable without({{"NAME", "D"}, {"a", "1"}});
    EXPECT_EQ(sheet_ask_field_start_no(without.get()), 0);

    TestTable dangling({{"x", "y"}, {"PARAMETERS", nullptr}});
    EXPECT_EQ(sheet_ask_field_start_no(dangling.get()), 2);
    TestList none;
    EXPECT_EQ(sheet_ask_field_name_list(dangling.get(), none.out()), -1);
    EXPECT_EQ(sheet_field_name_list(dangling.get(), &row), 0);

    TestTable empty({});
    EXPECT_EQ(sheet_ask_field_name_list(empty.get(), none.out()), 0);
    EXPECT_EQ(sheet_field_name_list(empty.get(), &row), 0);
    EXPECT_EQ(none.get(), nullptr);
}

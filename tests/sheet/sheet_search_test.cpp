// Record search: matches, result values, consecutive repeats, found_row and
// reading fields of the found record.
#include "host_test.h"
#include "sheet_test_table.h"

#include "vexahost/session.h"

#include <string>

using Strings = std::vector<std::string>;

namespace {

// A small catalogue: screws by name, diameter (list), length range and
// material.
const SheetGrid catalogue = {
    {"SHEET_TYPE", "screws", nullptr, nullptr, nullptr},
    {"PARAMETERS", nullptr, nullptr, nullptr, nullptr},
    {"NAME", "D", "L", "MAT", "PART"},
    {"M6", "6", "10~20", "steel", "s6"},
    {"M8", "6,8,10", "20~40", "steel", "s8"},
    {"M8", "8", "40~60", "brass", "b8"},
    {"M10", "10", "10~20", "steel", "s10"},
    {"END", nullptr, nullptr, nullptr, nullptr},
    {"M12", "12", "10~20", "steel", "s12"},
};

struct Search {
    int matches;
    Strings values;
    int count;
};

Search search(sheet_table *table, const char *condition)
{
    TestList list;
    int count = -7;
    int matches = sheet_search_record(table, condition, list.out(), &count);
    return {matches, list.items(), count};
}

} // namespace

class SheetSearchTest : public HostTest {};

TEST_F(SheetSearchTest, TwoConditionsSelectTheValueAfterTheConditionColumns)
{
    TestTable t(catalogue);
    // Two conditions, last operator "=": the value is in column 2.
    Search s = search(t.get(), "D==8 && MAT==steel");
    EXPECT_EQ(s.matches, 1);
    EXPECT_EQ(s.values, (Strings{"20~40"}));
    EXPECT_EQ(s.count, 1);
    EXPECT_EQ(t->found_row, 4);

    // Number lists and ranges in cells: D=10 is in "6,8,10" and "10".
    s = search(t.get(), "D==10 && L==15");
    EXPECT_EQ(s.matches, 1);
    EXPECT_EQ(s.values, (Strings{"10~20"}));
    EXPECT_EQ(t->found_row, 6);
}

TEST_F(SheetSearchTest, AllRecordConditionReadsColumnZeroUpToEnd)
{
    TestTable t(catalogue);
    Search s = search(t.get(), "FIND>=KT_ALL_RECORD");
    EXPECT_EQ(s.matches, 4); // M12 after END is not reached
    EXPECT_EQ(s.values, (Strings{"M6", "M8", "M10"}));
    EXPECT_EQ(s.count, 3);
    EXPECT_EQ(t->found_row, 3);
}

TEST_F(SheetSearchTest, OnlyConsecutiveRepeatsAreDropped)
{
    TestTable t({{"K", "V"}, {"a", "x"}, {"a", "x"}, {"a", "y"}, {"a", "x"}, {"b", "x"}});
    Search s = search(t.get(), "K=a");
    EXPECT_EQ(s.matches, 4);
    EXPECT_EQ(s.values, (Strings{"x", "y", "x"}));
    EXPECT_EQ(s.count, 3);
    EXPECT_EQ(t->found_row, 1); // no PARAMETERS: records start at row 1
}

TEST_F(SheetSearchTest, HideCellsArePassedOverToTheRight)
{
    TestTable t({{"K", "V", "W", "X"}, {"a", "Hide me", "w", "x"}, {"b", "Hide", "Hide too", "Hide last"}});
    EXPECT_EQ(search(t.get(), "K=a").values, (Strings{"w"}));
    // No further right than the last column, even when it is hidden too.
    EXPECT_EQ(search(t.get(), "K=b").values, (Strings{"Hide last"}));
}

TEST_F(SheetSearchTest, EmptyResultCellCountsButAddsNoValue)
{
    // Raw grids (not normalised), so that empty cells stay empty.
    // With "=" last and column k empty, the value comes from column k - 1.
    TestTable t({{"K", "V"}, {"a", "v"}, {"a", nullptr}, {"a", "v"}});
    Search s = search(t.get(), "K=a");
    EXPECT_EQ(s.matches, 3);
    EXPECT_EQ(s.values, (Strings{"v", "a", "v"}));

    // The chosen cell (column k - 1 = 1) of the middle record is empty: it
    // counts as a match, lists nothing and does not split the run of "v1".
    TestTable gap({{"K", "V", "W"}, {"a", "v1", "w"}, {"a", nullptr, "w"}, {"a", "v1", "w"}});
    s = search(gap.get(), "K=a&&W>=w");
    EXPECT_EQ(s.matches, 3);
    EXPECT_EQ(s.values, (Strings{"v1"}));
    EXPECT_EQ(s.count, 1);
}

TEST_F(SheetSearchTest, FailingConditionsMatchNothingAndResetFoundRow)
{
    TestTable t(catalogue);
    ASSERT_EQ(search(t.get(), "D==8").matches, 2);
    ASSERT_EQ(t->found_row, 4);
    for (const char *condition : {"D==9", "NOSUCH==1", "D 8", "D==8 && MAT==iron", ""}) {
        Search s = search(t.get(), condition);
        EXPECT_EQ(s.matches, 0) << condition;
        EXPECT_TRUE(s.values.empty()) << condition;
        EXPECT_EQ(s.count, 0) << condition;
        EXPECT_EQ(t->found_row, -1) << condition;
    }
    char value[SHEET_VALUE_SIZE] = "";
    EXPECT_EQ(sheet_ask_field_value(t.get(), "PART", value), -1);
}

TEST_F(SheetSearchTest, FieldValuesComeFromTheFoundRecord)
{
    TestTable t({{"NAME", nullptr, "D", "NOTE"}, {"a", "x", "1", nullptr}, {"b", "y", "2", "n"}});
    ASSERT_EQ(search(t.get(), "D>=1").matches, 2);
    char value[SHEET_VALUE_SIZE] = "";
    EXPECT_EQ(sheet_ask_field_value(t.get(), "NAME", value), 0);
    EXPECT_STREQ(value, "a");
    // Names after an empty field-name cell are still found.
    EXPECT_EQ(sheet_ask_field_value(t.get(), "D", value), 0);
    EXPECT_STREQ(value, "1");
    EXPECT_EQ(sheet_ask_field_value(t.get(), "NOTE", value), 0);
    EXPECT_STREQ(value, "Hide"); // an empty cell
    EXPECT_EQ(sheet_ask_field_value(t.get(), "name", value), -1);
    EXPECT_EQ(sheet_record_compare(t.get(), 2, "NOTE=n"), SHEET_OP_EQ);
    EXPECT_EQ(sheet_record_compare(t.get(), 2, "D>1.5"), SHEET_OP_GT);
    EXPECT_EQ(sheet_record_compare(t.get(), 1, "D>1.5"), -1);
    EXPECT_EQ(sheet_record_compare(t.get(), 1, "NOPE>=KT_ALL_RECORD"), -1); // no such column
}

TEST_F(SheetSearchTest, TrailingBlankValueComparesAsNumberNotText)
{
    TestTable t({{"A", "B", "C"}, {"1", "x", "r1"}, {"1.0", "x", "r2"}, {"t", "x", "r3"}});
    // "%s==%s && %s==%s" leaves "1 " as the first value: numbers still match.
    Search s = search(t.get(), "A==1 && B==x");
    EXPECT_EQ(s.values, (Strings{"r1", "r2"}));
    TestTable text(SheetGrid{{"A", "B", "C"}, {"t", "x", "r1"}});
    EXPECT_EQ(search(text.get(), "A==t && B==x").matches, 0); // "t " is not "t"
}

TEST_F(SheetSearchTest, ResultListFailureLeavesNothingBehind)
{
    TestTable t(catalogue);
    // Three values (M6, M8, M10) and the list array: any of the four
    // allocations may fail, and nothing made before it may stay behind.
    for (long successes = 0; successes <= 3; ++successes) {
        vexa::sim::fail_allocations_after(successes);
        TestList list;
        int count = 0;
        EXPECT_EQ(sheet_search_record(t.get(), "FIND>=KT_ALL_RECORD", list.out(), &count), -1) << successes;
        vexa::sim::fail_allocations_after(-1);
        EXPECT_EQ(list.get(), nullptr);
        EXPECT_EQ(count, 0);
    }
}

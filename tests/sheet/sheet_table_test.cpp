// Normalisation of a raw grid and releasing tables and lists.
#include "host_test.h"
#include "sheet/sheet_internal.h"
#include "sheet_test_table.h"

#include "vexahost/session.h"

using Strings = std::vector<std::string>;

class SheetTableTest : public HostTest {};

TEST_F(SheetTableTest, CommentsCutTheRowAtTheFirstMark)
{
    TestTable t({
        {"a", "  b ## note", "c"}, // cut in the second cell, leading blanks go, later cells freed
        {"x//y", "z", nullptr},    // "//" works like "##"
        {"  ## only", "d", "e"},   // nothing left of the first cell: the row is empty
        {"", nullptr, nullptr},    // an empty string is an empty cell
        {"p", "q ## r // s", "t"}, // the first mark counts, whichever it is
    });
    ASSERT_EQ(sheet_strip_comments(t.get()), 0);
    EXPECT_EQ(t.row(0), (Strings{"a", "b ", "(null)"}));
    EXPECT_EQ(t.row(1), (Strings{"x", "(null)", "(null)"}));
    EXPECT_EQ(t->rows[2], nullptr);
    EXPECT_EQ(t->rows[3], nullptr);
    EXPECT_EQ(t.row(4), (Strings{"p", "q ", "(null)"}));
}

TEST_F(SheetTableTest, FillDownCoversTheRecordBlockOnly)
{
    TestTable t({
        {"SHEET_TYPE", nullptr, nullptr},
        {"PARAMETERS", nullptr, nullptr},
        {},                     // null rows after PARAMETERS are passed over
        {"NAME", nullptr, "D"}, // field-name row: never filled
        {"M6", "steel", "6"},
        {nullptr, nullptr, "8"},
        {}, // a null row does not break the run
        {"M10", nullptr, nullptr},
        {"END", nullptr, nullptr},
        {nullptr, "after", nullptr}, // after END: left alone
    });
    ASSERT_EQ(sheet_fill_down(t.get()), 0);
    EXPECT_EQ(t.row(3), (Strings{"NAME", "(null)", "D"}));
    EXPECT_EQ(t.row(5), (Strings{"M6", "steel", "8"}));
    EXPECT_EQ(t->rows[6], nullptr);
    EXPECT_EQ(t.row(7), (Strings{"M10", "steel", "8"}));
    EXPECT_EQ(t.row(8), (Strings{"END", "(null)", "(null)"}));
    EXPECT_EQ(t.row(9), (Strings{"(null)", "after", "(null)"}));
}

TEST_F(SheetTableTest, FillDownWithoutParametersUsesTheWholeTableBelowRowZero)
{
    TestTable t({{"NAME", "D"}, {"a", "1"}, {nullptr, nullptr}, {"b", nullptr}});
    ASSERT_EQ(sheet_fill_down(t.get()), 0);
    EXPECT_EQ(t.row(0), (Strings{"NAME", "D"}));
    EXPECT_EQ(t.row(2), (Strings{"a", "1"}));
    EXPECT_EQ(t.row(3), (Strings{"b", "1"}));
}

TEST_F(SheetTableTest, NormalizeCompactsRowsAndResetsFoundRow)
{
    TestTable t({{"NAME", "D"}, {}, {"## gone", "x"}, {"a", "1"}, {}});
    t->found_row = 3;
    ASSERT_EQ(sheet_normalize(t.get()), 0);
    ASSERT_EQ(t->row_count, 2);
    EXPECT_EQ(t->column_count, 2);
    EXPECT_EQ(t->found_row, -1);
    EXPECT_EQ(t.row(0), (Strings{"NAME", "D"}));
    EXPECT_EQ(t.row(1), (Strings{"a", "1"}));
}

TEST_F(SheetTableTest, NormalizeOfAnEmptySheetGivesNoData)
{
    TestTable t({{}, {"// comment only", nullptr}, {nullptr, nullptr}});
    EXPECT_EQ(sheet_normalize(t.get()), -2);
    EXPECT_EQ(t->rows, nullptr);
    EXPECT_EQ(t->row_count, 0);
    EXPECT_EQ(t->column_count, 0);
    EXPECT_STREQ(t->file_name, "C:\\kit\\data.xls::Sheet1");
}

TEST_F(SheetTableTest, NormalizeReleasesTheTableWhenMemoryRunsOut)
{
    // Every step that allocates (a filled cell, the compacted array) fails
    // in turn; the table is released and nothing is leaked.
    for (long successes = 0; successes < 3; ++successes) {
        TestTable t({{"NAME", "D"}, {"a", "1"}, {"b", nullptr}, {"c", nullptr}});
        vexa::sim::fail_allocations_after(successes);
        EXPECT_EQ(sheet_normalize(t.get()), -1) << successes;
        vexa::sim::fail_allocations_after(-1);
        EXPECT_EQ(t->rows, nullptr);
        EXPECT_EQ(t->row_count, 0);
    }
}

TEST_F(SheetTableTest, ReleaseAndFreeAreNoOpsOnEmptyInput)
{
    sheet_table empty{};
    empty.row_count = 3; // rows null: left alone
    EXPECT_EQ(sheet_release_memo(&empty), 0);
    EXPECT_EQ(empty.row_count, 3);
    EXPECT_EQ(sheet_release_memo(nullptr), 0);
    EXPECT_EQ(sheet_free_mem(nullptr), 0);

    TestTable t({{"a", "b"}, {}});
    t->found_row = 0;
    EXPECT_EQ(sheet_release_memo(t.get()), 0);
    EXPECT_EQ(t->rows, nullptr);
    EXPECT_EQ(t->row_count, 0);
    EXPECT_EQ(t->column_count, 0);
}

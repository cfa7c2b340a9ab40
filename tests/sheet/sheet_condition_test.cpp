// Splitting compound and single conditions, blanks and limits included.
#include "host_test.h"
#include "cvstvshare/sheet.h"

#include <string>
#include <vector>

namespace {

std::vector<std::string> split(const char *text, int *count)
{
    char slots[SHEET_MAX_CONDITIONS][SHEET_CONDITION_SIZE];
    *count = sheet_split_condition(text, slots);
    return std::vector<std::string>(slots, slots + *count);
}

} // namespace

class SheetConditionTest : public HostTest {};

TEST_F(SheetConditionTest, CompoundSplitKeepsTheBlanksAroundAnd)
{
    int n = 0;
    EXPECT_EQ(split("A==1 && B==2", &n), (std::vector<std::string>{"A==1 ", "  B==2"}));
    EXPECT_EQ(split("A=1&&", &n), (std::vector<std::string>{"A=1", " "})); // second a single blank
    EXPECT_EQ(split("A=1&", &n), (std::vector<std::string>{"A=1"}));       // trailing '&'
    EXPECT_EQ(split("A=1&B=2", &n), (std::vector<std::string>{"A=1", "B=2"}));
    EXPECT_EQ(split("&A=1", &n), (std::vector<std::string>{"", "A=1"}));
    EXPECT_EQ(split("", &n), std::vector<std::string>{});
    EXPECT_EQ(split(nullptr, &n), std::vector<std::string>{});
}

TEST_F(SheetConditionTest, CompoundSplitStopsAtTenAndCutsLongParts)
{
    std::string text;
    for (int i = 0; i < 11; ++i)
        text += "F" + std::to_string(i) + "=1&&";
    int n = 0;
    std::vector<std::string> parts = split(text.c_str(), &n);
    ASSERT_EQ(n, 10);
    EXPECT_EQ(parts[9], " F9=1");

    std::string long_part(150, 'x');
    parts = split((long_part + "&B=2").c_str(), &n);
    ASSERT_EQ(n, 2);
    EXPECT_EQ(parts[0], std::string(99, 'x'));
    EXPECT_EQ(parts[1], "B=2");

    // Only the first 511 characters are read: the '&' at 600 is never seen.
    std::string huge = std::string(600, 'y') + "&C=3";
    parts = split(huge.c_str(), &n);
    EXPECT_EQ(n, 1);
}

TEST_F(SheetConditionTest, SingleSplitFindsOperatorNameAndValue)
{
    struct Case {
        const char *condition;
        int op;
        const char *name;
        const char *value;
    };
    for (const Case &c : std::vector<Case>{
             {"A==1", SHEET_OP_EQ, "A", "1"},
             {"A=1", SHEET_OP_EQ, "A", "1"},
             {"A = 1", SHEET_OP_EQ, "A ", "1"}, // trailing blank of the name stays
             {"A==1 ", SHEET_OP_EQ, "A", "1 "},
             {"  B==2", SHEET_OP_EQ, "B", "2"},
             {"D>20", SHEET_OP_GT, "D", "20"},
             {"D>=20", SHEET_OP_GE, "D", "20"},
             {"D<20", SHEET_OP_LT, "D", "20"},
             {"D<=20", SHEET_OP_LE, "D", "20"},
             {"D=>20", SHEET_OP_EQ, "D", "20"}, // the first operator character decides
             {"FIND>=KT_ALL_RECORD", SHEET_OP_GE, "FIND", "KT_ALL_RECORD"},
         }) {
        char name[SHEET_SINGLE_CONDITION_SIZE] = "";
        char value[SHEET_SINGLE_CONDITION_SIZE] = "";
        EXPECT_EQ(sheet_cond_split(c.condition, name, value), c.op) << c.condition;
        EXPECT_STREQ(name, c.name) << c.condition;
        EXPECT_STREQ(value, c.value) << c.condition;
    }
}

TEST_F(SheetConditionTest, SingleSplitLeavesMissingPartsUnwritten)
{
    char name[SHEET_SINGLE_CONDITION_SIZE] = "old";
    char value[SHEET_SINGLE_CONDITION_SIZE] = "old";
    EXPECT_EQ(sheet_cond_split("no operator", name, value), -1);
    EXPECT_STREQ(name, "old");
    EXPECT_EQ(sheet_cond_split("A==", name, value), SHEET_OP_EQ);
    EXPECT_STREQ(name, "A");
    EXPECT_STREQ(value, "old");
    EXPECT_EQ(sheet_cond_split(nullptr, name, value), -1);

    // A condition longer than 259 characters is cut; outputs stay in bounds.
    std::string long_condition = "N=" + std::string(400, 'v');
    EXPECT_EQ(sheet_cond_split(long_condition.c_str(), name, value), SHEET_OP_EQ);
    EXPECT_EQ(std::string(value), std::string(257, 'v'));
}

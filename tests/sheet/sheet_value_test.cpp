// Value types, numbers in cells, and comparisons of values and cells.
#include "host_test.h"
#include "cvstvshare/sheet.h"

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

class SheetValueTest : public HostTest {};

TEST_F(SheetValueTest, TypesAreTestedInOrder)
{
    EXPECT_EQ(sheet_field_type(nullptr), SHEET_TYPE_INVALID);
    EXPECT_EQ(sheet_field_type(""), SHEET_TYPE_INVALID);
    for (const char *number : {"12", "-0.5", "1+1/2", " 3/4 ", "1 "})
        EXPECT_EQ(sheet_field_type(number), SHEET_TYPE_NUMBER) << number;
    EXPECT_EQ(sheet_field_type("1e5"), SHEET_TYPE_TEXT);
    EXPECT_EQ(sheet_field_type("6,8,10"), SHEET_TYPE_NUMBER_LIST);
    EXPECT_EQ(sheet_field_type("a,b c"), SHEET_TYPE_TEXT_LIST);
    EXPECT_EQ(sheet_field_type("M6,<x>"), SHEET_TYPE_TEXT_LIST);
    EXPECT_EQ(sheet_field_type("a:1,b:2"), SHEET_TYPE_KEYED_LIST);
    EXPECT_EQ(sheet_field_type("a:1"), SHEET_TYPE_TEXT); // a ':' without a ',' is no list
    EXPECT_EQ(sheet_field_type("10~20"), SHEET_TYPE_RANGE);
    EXPECT_EQ(sheet_field_type("a,b~c"), SHEET_TYPE_RANGE); // '~' is outside the list set
    EXPECT_EQ(sheet_field_type("steel (hard)"), SHEET_TYPE_TEXT);
}

TEST_F(SheetValueTest, NumbersReadDecimalsMixedNumbersAndFractions)
{
    EXPECT_DOUBLE_EQ(sheet_str_double(nullptr), 0.0);
    EXPECT_DOUBLE_EQ(sheet_str_double(" -12.5mm"), -12.5); // reading stops at the unit
    EXPECT_DOUBLE_EQ(sheet_str_double("abc"), 0.0);
    EXPECT_DOUBLE_EQ(sheet_str_double("1+1/2"), 1.5);
    EXPECT_DOUBLE_EQ(sheet_str_double("2+3"), 5.0); // missing denominator is 1
    EXPECT_DOUBLE_EQ(sheet_str_double("1-1/2"), 0.5);
    EXPECT_DOUBLE_EQ(sheet_str_double("3/4"), 0.75);
    EXPECT_DOUBLE_EQ(sheet_str_double("3/"), 3.0);
    EXPECT_DOUBLE_EQ(sheet_str_double("-1/2"), -1.0); // leading sign makes no token: 1 - 2/1
}

TEST_F(SheetValueTest, DecimalsReadExactlyAsTheStandardReader)
{
    // Short decimals take a fast path; long ones, exponents and many
    // decimals do not. Both must give the correctly rounded value.
    std::mt19937_64 random(42);
    std::vector<std::string> texts = {"0.1",
                                      "0.3",
                                      "123456789012345",
                                      "1234567890123456789",
                                      ".5",
                                      "5.",
                                      "007.250",
                                      "0.0000000000000000000001",
                                      "0.00000000000000000000001",
                                      "9007199254740993",
                                      "1.7976931348623157e308",
                                      "1e400",
                                      "1e-400"};
    for (int i = 0; i < 2000; ++i) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%llu.%0*llu", static_cast<unsigned long long>(random() % 100000000),
                      static_cast<int>(random() % 12 + 1),
                      static_cast<unsigned long long>(random() % 1000000000000));
        texts.emplace_back(buf);
    }
    for (const std::string &text : texts) {
        EXPECT_EQ(sheet_str_double(text.c_str()), std::strtod(text.c_str(), nullptr)) << text;
        std::string negative = "-" + text;
        EXPECT_EQ(sheet_str_double(negative.c_str()), std::strtod(negative.c_str(), nullptr)) << negative;
    }
}

TEST_F(SheetValueTest, NumbersCompareWithTolerance)
{
    EXPECT_EQ(sheet_value_compare("1", SHEET_OP_EQ, "1.00005"), 0);
    EXPECT_EQ(sheet_value_compare("1", SHEET_OP_EQ, "1.0001"), 0); // bounds inclusive
    EXPECT_EQ(sheet_value_compare("1", SHEET_OP_EQ, "1.0002"), -1);
    EXPECT_EQ(sheet_value_compare("1.00005", SHEET_OP_GT, "1"), -1);
    EXPECT_EQ(sheet_value_compare("1.0002", SHEET_OP_GT, "1"), 0);
    EXPECT_EQ(sheet_value_compare("0.99995", SHEET_OP_LT, "1"), -1);
    EXPECT_EQ(sheet_value_compare("0.9998", SHEET_OP_LT, "1"), 0);
    EXPECT_EQ(sheet_value_compare("0.99995", SHEET_OP_GE, "1"), -1); // >= and <= have none
    EXPECT_EQ(sheet_value_compare("1.00005", SHEET_OP_LE, "1"), -1);
    EXPECT_EQ(sheet_value_compare("1+1/2", SHEET_OP_EQ, "1.5"), 0);
    EXPECT_EQ(sheet_value_compare("1 ", SHEET_OP_EQ, "1"), 0); // trailing blank: still a number
    EXPECT_EQ(sheet_value_compare(nullptr, SHEET_OP_EQ, "1"), -1);
    EXPECT_EQ(sheet_value_compare("1", 7, "1"), -1);
}

TEST_F(SheetValueTest, TextsCompareByteWiseAndOrderOperatorsAcceptEqual)
{
    EXPECT_EQ(sheet_value_compare("abc", SHEET_OP_EQ, "abc"), 0);
    EXPECT_EQ(sheet_value_compare("abc", SHEET_OP_EQ, "ABC"), -1);
    EXPECT_EQ(sheet_value_compare("abc", SHEET_OP_GT, "abc"), 0);
    EXPECT_EQ(sheet_value_compare("abd", SHEET_OP_GE, "abc"), 0);
    EXPECT_EQ(sheet_value_compare("abc", SHEET_OP_LT, "abc"), 0);
    EXPECT_EQ(sheet_value_compare("abd", SHEET_OP_LT, "abc"), -1);
    EXPECT_EQ(sheet_value_compare("1 ", SHEET_OP_EQ, "x1"), -1);
    // A number against a text compares as text: "10" sorts before "9a".
    EXPECT_EQ(sheet_value_compare("10", SHEET_OP_LT, "9a"), 0);
}

TEST_F(SheetValueTest, NumberListCellHoldsWhenOneItemDoes)
{
    EXPECT_EQ(sheet_field_compare("6,8,10", SHEET_OP_EQ, "8"), 0);
    EXPECT_EQ(sheet_field_compare("6,8,10", SHEET_OP_EQ, "9"), -1);
    EXPECT_EQ(sheet_field_compare("6,,10", SHEET_OP_GT, "9"), 0);
    EXPECT_EQ(sheet_field_compare("6,8,10", SHEET_OP_EQ, "8,10"), -1); // a list value is text
}

TEST_F(SheetValueTest, RangeCellHoldsForNumbersInTheOperatorsInterval)
{
    for (const char *inside : {"10", "15", "20"})
        EXPECT_EQ(sheet_field_compare("10~20", SHEET_OP_EQ, inside), 0) << inside;
    EXPECT_EQ(sheet_field_compare("10~20", SHEET_OP_EQ, "20.5"), -1);
    EXPECT_EQ(sheet_field_compare("10~20", SHEET_OP_EQ, "20.00005"), -1); // bounds have no tolerance
    EXPECT_EQ(sheet_field_compare("10~20", SHEET_OP_GE, "20"), -1);
    EXPECT_EQ(sheet_field_compare("10~20", SHEET_OP_GE, "10"), 0);
    EXPECT_EQ(sheet_field_compare("10~20", SHEET_OP_GT, "10"), -1);
    EXPECT_EQ(sheet_field_compare("10~20", SHEET_OP_LE, "20"), 0);
    EXPECT_EQ(sheet_field_compare("10~20", SHEET_OP_LE, "10"), -1);
    EXPECT_EQ(sheet_field_compare("10~20", SHEET_OP_LT, "15"), 0);
    EXPECT_EQ(sheet_field_compare("10~", SHEET_OP_EQ, "15"), -1);     // no upper bound
    EXPECT_EQ(sheet_field_compare("10~20", SHEET_OP_EQ, "10~20"), 0); // text against text
}

TEST_F(SheetValueTest, AllRecordValueHoldsForAnyCell)
{
    EXPECT_EQ(sheet_field_compare(nullptr, SHEET_OP_GE, "KT_ALL_RECORD"), 0);
    EXPECT_EQ(sheet_field_compare("x", SHEET_OP_LT, "KT_ALL_RECORD"), 0);
    EXPECT_EQ(sheet_field_compare("x", SHEET_OP_EQ, "KT_ALL_RECORD "), -1);
    EXPECT_EQ(sheet_field_compare(nullptr, SHEET_OP_EQ, "x"), -1);
}

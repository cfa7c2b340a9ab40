// In-place editing and the small text functions.
#include "host_test.h"

#include "cvstvshare/util.h"
#include "util/path_util.h"

#include <cstring>
#include <string>

class StrEdit : public HostTest {};

TEST_F(StrEdit, TrimmingAndCuttingWorkInPlace)
{
    char s1[] = "\t x y \t";
    kt_remove_space_string(s1);
    EXPECT_STREQ(s1, "x y");
    char s2[] = "  ";
    kt_remove_space_string(s2);
    EXPECT_STREQ(s2, "");

    char s3[] = "line one\nline two\n";
    EXPECT_EQ(kt_remove_enter_char(s3), 0);
    EXPECT_STREQ(s3, "line one");
    char empty[] = "";
    EXPECT_EQ(kt_remove_enter_char(empty), -1);
    EXPECT_EQ(kt_remove_enter_char(nullptr), -1);

    char s4[] = "//path";
    kt_remove_beginning_char(s4, '/');
    EXPECT_STREQ(s4, "/path") << "only one occurrence is removed";
    kt_remove_beginning_char(s4, 'x');
    EXPECT_STREQ(s4, "/path");
}

TEST_F(StrEdit, ReplaceSubstringNeverRescansInsertedText)
{
    char text[256] = "aaa";
    kt_replace_substr(text, "a", "aa");
    EXPECT_STREQ(text, "aaaaaa");

    char same[256] = "unchanged";
    kt_replace_substr(same, "", "x");
    EXPECT_STREQ(same, "unchanged");

    char path[256] = "${KIT}/a/${KIT}/b";
    kt_replace_substr(path, "${KIT}", "D:\\kit");
    EXPECT_STREQ(path, "D:\\kit/a/D:\\kit/b");

    char full[256];
    std::memset(full, 'a', 200);
    full[200] = '\0';
    kt_replace_substr(full, "a", "bb");
    EXPECT_EQ(std::strlen(full), 255u) << "the result is cut at the 255 characters of its buffer";
}

TEST_F(StrEdit, CaseReversalAndCaseBlindComparison)
{
    char s[] = "Mould-Base 3";
    EXPECT_STREQ(STV_str_toupper(s), "MOULD-BASE 3");
    EXPECT_STREQ(STV_str_tolower(s), "mould-base 3");
    EXPECT_EQ(STV_str_tolower(nullptr), nullptr);
    char r[] = "abc";
    EXPECT_STREQ(strrev1(r), "cba");

    EXPECT_EQ(strcmp_upr("abc", "ABC"), 0);
    EXPECT_EQ(strcmp_upr("abc", nullptr), -1);
    EXPECT_EQ(strcmp_upr("abc", "abd"), -1);
    EXPECT_EQ(strcmp_upr("B", "a"), 1);
    vexa::sim::fail_allocations_after(0);
    EXPECT_EQ(strcmp_upr("abc", "ABC"), 1) << "without memory for the copies the texts compare with case";
}

TEST_F(StrEdit, RoundingToAGridOfFive)
{
    struct Case {
        double in, out;
    };
    for (Case c : {Case{2.9, 0},
                   {3, 5},
                   {8, 5},
                   {9, 10},
                   {10, 10},
                   {12.7, 10},
                   {13, 15},
                   {18.9, 15},
                   {19, 20},
                   {-23, -15},
                   {-29, -10},
                   {0, 0},
                   {1234567, 1234565},
                   {70, 70}})
        EXPECT_EQ(kt_round_double(c.in), c.out) << "x = " << c.in;
}

TEST_F(StrEdit, ColourNamesAndNumbers)
{
    EXPECT_EQ(kt_color_name_to_index("Blue"), 1);
    EXPECT_EQ(kt_color_name_to_index("DARK-RED"), 13);
    EXPECT_EQ(kt_color_name_to_index("gray"), 15);
    EXPECT_EQ(kt_color_name_to_index("7"), 7);
    EXPECT_EQ(kt_color_name_to_index("15"), 15);
    EXPECT_EQ(kt_color_name_to_index("16"), 0);
    EXPECT_EQ(kt_color_name_to_index("0"), 0);
    EXPECT_EQ(kt_color_name_to_index("grey"), 0);
    EXPECT_EQ(kt_color_name_to_index(nullptr), 0);
    std::string long_name(500, 'x');
    EXPECT_EQ(kt_color_name_to_index(long_name.c_str()), 0);
}

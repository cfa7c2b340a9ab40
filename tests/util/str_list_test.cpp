// String lists: the library's shared collection of names.
#include "host_test.h"

#include "cvstvshare/util.h"
#include "util/str_list.h"

#include "hx_memory.h"

#include <string>
#include <vector>

namespace {

std::vector<std::string> entries(char **list)
{
    std::vector<std::string> out;
    for (int i = 0; list && list[i]; ++i)
        out.emplace_back(list[i]);
    return out;
}

using Strings = std::vector<std::string>;

} // namespace

class StrList : public HostTest {};

TEST_F(StrList, AddingRefusesEmptyAndNullAndGrowsByOne)
{
    char **list = nullptr;
    EXPECT_EQ(kt_add_str_list(&list, ""), -1);
    EXPECT_EQ(kt_add_str_list(&list, nullptr), -1);
    EXPECT_EQ(list, nullptr) << "a refused addition leaves a null list null";
    EXPECT_EQ(kt_ask_str_list_count(list), 0);

    EXPECT_EQ(kt_add_str_list(&list, "A"), 1);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list[1], nullptr);
    char *first = list[0];
    EXPECT_EQ(kt_add_str_list(&list, "a"), 2);
    EXPECT_EQ(kt_add_str_list(&list, "a"), 3) << "duplicates are allowed";
    EXPECT_EQ(list[0], first) << "entries survive the growth of the array";
    EXPECT_EQ(kt_add_str_list(&list, ""), -1);
    EXPECT_EQ(entries(list), (Strings{"A", "a", "a"}));
    EXPECT_EQ(kt_is_str_in_list(list, "a"), 1);
    EXPECT_EQ(kt_is_str_in_list(list, "b"), -1);
    EXPECT_EQ(kt_is_str_in_list(nullptr, "a"), -1);

    kt_free_str_list(&list);
    EXPECT_EQ(list, nullptr);
    kt_free_str_list(&list); // freeing the null list is harmless
}

TEST_F(StrList, AddingUnderAllocationFailureChangesNothing)
{
    char **list = nullptr;
    kt_add_str_list(&list, "keep");
    vexa::sim::fail_allocations_after(1); // the copy succeeds, the array fails
    EXPECT_EQ(kt_add_str_list(&list, "lost"), -1);
    vexa::sim::fail_allocations_after(-1);
    EXPECT_EQ(entries(list), (Strings{"keep"}));
    kt_free_str_list(&list);
}

TEST_F(StrList, CopyAppendsAndRefusesItself)
{
    char **src = nullptr, **dst = nullptr;
    kt_add_str_list(&src, "x");
    kt_add_str_list(&src, "y");
    kt_add_str_list(&dst, "x");
    EXPECT_EQ(kt_copy_str_list(src, &src), -1);
    EXPECT_EQ(kt_copy_str_list(nullptr, &dst), -1);
    EXPECT_EQ(kt_copy_str_list(src, &dst), 0);
    EXPECT_EQ(entries(dst), (Strings{"x", "x", "y"}));
    char **empty = nullptr;
    EXPECT_EQ(kt_copy_str_list(src, &empty), 0);
    EXPECT_EQ(entries(empty), (Strings{"x", "y"}));
    kt_free_str_list(&src);
    kt_free_str_list(&dst);
    kt_free_str_list(&empty);
}

TEST_F(StrList, ReplaceChecksTheIndexAndReallocatesOnlyToGrow)
{
    char **list = nullptr;
    kt_add_str_list(&list, "long entry");
    kt_add_str_list(&list, "b");
    EXPECT_EQ(kt_replace_str_in_list(list, 2, "z"), -1) << "the index equal to the count is outside";
    EXPECT_EQ(kt_replace_str_in_list(list, -1, "z"), -1);
    EXPECT_EQ(kt_replace_str_in_list(list, 0, nullptr), -1);
    EXPECT_EQ(kt_replace_str_in_list(nullptr, 0, "z"), -1);

    char *in_place = list[0];
    EXPECT_EQ(kt_replace_str_in_list(list, 0, "short"), 0);
    EXPECT_EQ(list[0], in_place) << "a shorter text is written in place";
    EXPECT_EQ(kt_replace_str_in_list(list, 1, "much longer text"), 0);
    EXPECT_EQ(kt_replace_str_in_list(list, 0, ""), 0) << "an empty replacement is accepted";
    EXPECT_EQ(entries(list), (Strings{"", "much longer text"}));
    kt_free_str_list(&list);
}

TEST_F(StrList, DecomposeTrimsTokensAndKeepsADelimiterOnlyText)
{
    char **list = reinterpret_cast<char **>(0x1);
    EXPECT_EQ(kt_decompose_str("", ",", &list), -1);
    EXPECT_EQ(list, nullptr);
    EXPECT_EQ(kt_decompose_str("a", "", &list), -1);
    EXPECT_EQ(kt_decompose_str(nullptr, ",", &list), -1);

    ASSERT_EQ(kt_decompose_str(" a , ,b ", ",", &list), 0);
    EXPECT_EQ(entries(list), (Strings{"a", "b"}));
    kt_free_str_list(&list);

    ASSERT_EQ(kt_decompose_str(",,,", ",", &list), 0);
    EXPECT_EQ(entries(list), (Strings{",,,"}));
    kt_free_str_list(&list);

    ASSERT_EQ(kt_decompose_str("M8;\tM10;;M12", "; ", &list), 0);
    EXPECT_EQ(entries(list), (Strings{"M8", "M10", "M12"}));
    kt_free_str_list(&list);
}

TEST_F(StrList, SplitStringTakesTheFirstTwoTokens)
{
    char *a = reinterpret_cast<char *>(0x1), *b = reinterpret_cast<char *>(0x1);
    EXPECT_EQ(STV_split_string("x", ",", &a, &b), -1);
    EXPECT_EQ(a, nullptr);
    EXPECT_EQ(b, nullptr);
    ASSERT_EQ(STV_split_string(",x, y,z", ",", &a, &b), 0);
    EXPECT_STREQ(a, "x");
    EXPECT_STREQ(b, " y") << "tokens are not trimmed";
    HX_free(a);
    HX_free(b);

    vexa::sim::fail_allocations_after(1);
    EXPECT_EQ(STV_split_string("x,y", ",", &a, &b), -1);
    EXPECT_EQ(a, nullptr) << "nothing is left allocated on failure";
}

TEST_F(StrList, OnePassAppendBuildsLongListsAndSkipsEmptyItems)
{
    std::vector<std::string> items;
    for (int i = 0; i < 10000; ++i)
        items.push_back(i % 1000 == 0 ? "" : std::to_string(i));
    char **list = nullptr;
    kt_add_str_list(&list, "head");
    EXPECT_EQ(cvstv::append_str_list(&list, items), 1 + 9990);
    EXPECT_STREQ(list[0], "head");
    EXPECT_STREQ(list[1], "1");
    EXPECT_EQ(list[9991], nullptr);
    kt_free_str_list(&list);
}

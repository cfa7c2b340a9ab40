// The list accessors: entries read, inserted, replaced and deleted, entries
// chosen by index and by text, and the chosen entries read in each form.
#include "ui_test.h"

#include "cvstvshare/dialog_items.h"
#include "cvstvshare/util.h"

#include "hx_dialogs.h"
#include "hx_memory.h"

#include <string>
#include <vector>

class DialogLists : public UiTest {
  protected:
    void SetUp() override
    {
        UiTest::SetUp();
        d = open("every_item.dlg");
    }

    std::vector<std::string> entries(const char *id = "PARTS") const { return item(d, id).entries; }
    std::vector<int> chosen(const char *id = "PARTS") const { return item(d, id).chosen; }

    static std::vector<std::string> take(char **&list)
    {
        std::vector<std::string> out;
        for (int i = 0; list && list[i]; ++i)
            out.emplace_back(list[i]);
        kt_free_str_list(&list);
        return out;
    }

    int d = 0;
};

using Texts = std::vector<std::string>;

TEST_F(DialogLists, EntriesAreReadAsStringListsAndCounted)
{
    char **list = nullptr;
    int count = -1;
    EXPECT_EQ(STV_ui_get_all_list_items(d, "PARTS", &list, &count), 0);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(take(list), (Texts{"top", "core", "cavity"}));
    EXPECT_EQ(STV_get_list_items(d, "MODE", &list, &count), 0);
    EXPECT_EQ(take(list), (Texts{"metric", "english"}));
    EXPECT_EQ(CVSTVSHARE_UI_ask_number_of_items(d, "PARTS", &count), 0);
    EXPECT_EQ(count, 3);

    CVSTVSHARE_UI_clear_list(d, "PARTS");
    EXPECT_EQ(CVSTVSHARE_UI_ask_list_value(d, "PARTS", &count, &list), 0);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(list, nullptr) << "the empty list is the null list";
    EXPECT_EQ(CVSTVSHARE_UI_ask_list_value(d, "NAME", &count, &list), HX_STYLER_ERR_BAD_ATTRIBUTE);
    EXPECT_EQ(STV_ui_get_all_list_items(d, "NAME", &list, &count), -1);

    int index = 7;
    char *two[] = {const_cast<char *>("x"), const_cast<char *>("y")};
    CVSTVSHARE_UI_set_list_value(d, "PARTS", 2, 1, two);
    EXPECT_EQ(STV_ui_get_item_index(d, "PARTS", "y", &index), 0);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(STV_ui_get_item_index(d, "PARTS", "z", &index), 0);
    EXPECT_EQ(index, -1);
}

TEST_F(DialogLists, InsertingPutsTextsBetweenEntriesOrAtTheEnd)
{
    EXPECT_EQ(CVSTVSHARE_UI_insert_subitem(d, "PARTS", "slide", 1), 0);
    EXPECT_EQ(entries(), (Texts{"top", "slide", "core", "cavity"}));
    EXPECT_EQ(CVSTVSHARE_UI_insert_subitem(d, "PARTS", "first?", 0), 0);
    EXPECT_EQ(entries().back(), "first?") << "position 0 appends: only 0 < position < count inserts";
    EXPECT_EQ(CVSTVSHARE_UI_insert_subitem(d, "PARTS", "last", 5), 0);
    EXPECT_EQ(entries().back(), "last");
    EXPECT_EQ(CVSTVSHARE_UI_insert_subitem(d, "PARTS", nullptr, 1), 0);
    EXPECT_EQ(entries().size(), 6u);
    CVSTVSHARE_UI_clear_list(d, "PARTS");
    EXPECT_EQ(CVSTVSHARE_UI_insert_subitem(d, "PARTS", "alone", 3), 0);
    EXPECT_EQ(entries(), (Texts{"alone"}));

    char *two[] = {const_cast<char *>("a"), const_cast<char *>("b")};
    EXPECT_EQ(CVSTVSHARE_UI_insert_subitems(d, "PARTS", 2, 0, two), 0);
    EXPECT_EQ(entries(), (Texts{"a", "b", "alone"}));
    EXPECT_EQ(CVSTVSHARE_UI_insert_subitems(d, "PARTS", 2, 9, two), HX_STYLER_ERR_BAD_VALUE);
    EXPECT_EQ(STV_ui_insert_list_item(d, "PARTS", 1, "c"), 0);
    EXPECT_EQ(entries(), (Texts{"a", "c", "b", "alone"}));
    EXPECT_EQ(STV_ui_insert_list_item(d, "NAME", 0, "c"), -1);
}

TEST_F(DialogLists, DeletingGoesFromTheHighestIndexDownWhateverTheOrderGiven)
{
    CVSTVSHARE_UI_set_item_choice(d, "PARTS", 2);
    const int indices[] = {0, 2, 0};
    EXPECT_EQ(CVSTVSHARE_UI_delete_subitems(d, "PARTS", 3, indices), 0);
    EXPECT_EQ(entries(), (Texts{"core"})) << "entries 2 and 0 as given, each once";
    EXPECT_TRUE(chosen().empty()) << "the chosen entry went with it";
    const int beyond[] = {4};
    EXPECT_EQ(CVSTVSHARE_UI_delete_subitems(d, "PARTS", 1, beyond), -1);
    EXPECT_EQ(CVSTVSHARE_UI_delete_subitems(d, "PARTS", 1, nullptr), -1);

    CVSTVSHARE_UI_set_list_value(d, "PARTS", 0, 1, nullptr);
    EXPECT_TRUE(entries().empty());
    char *four[] = {const_cast<char *>("a"), const_cast<char *>("b"), const_cast<char *>("a"),
                    const_cast<char *>("c")};
    CVSTVSHARE_UI_set_list_value(d, "PARTS", 4, 1, four);
    EXPECT_EQ(CVSTVSHARE_UI_delete_subitem(d, "PARTS", "a"), 0);
    EXPECT_EQ(entries(), (Texts{"b", "c"}));
    EXPECT_EQ(chosen(), (std::vector<int>{})) << "no entry stands at index 2 any more";
    CVSTVSHARE_UI_set_list_value(d, "PARTS", 4, 1, four);
    EXPECT_EQ(CVSTVSHARE_UI_delete_subitem(d, "PARTS", "b"), 0);
    EXPECT_EQ(entries(), (Texts{"a", "a", "c"}));
    EXPECT_EQ(chosen(), (std::vector<int>{1})) << "the entry now at the removed one's index is chosen";
    EXPECT_EQ(CVSTVSHARE_UI_delete_subitem(d, "PARTS", "zzz"), 0);
    EXPECT_EQ(CVSTVSHARE_UI_delete_subitem(d, "NAME", "a"), -1);

    EXPECT_EQ(STV_ui_remove_list_item(d, "PARTS", 0, 1), 0);
    EXPECT_EQ(entries(), (Texts{"a", "c"}));
    EXPECT_EQ(STV_ui_remove_list_item(d, "PARTS", 0, 0), 0);
    EXPECT_TRUE(entries().empty()) << "flag 0 deletes every entry";
}

TEST_F(DialogLists, SettingTheListKeepsOrReplacesTheCurrentEntries)
{
    char *two[] = {const_cast<char *>("slide"), const_cast<char *>("lifter")};
    EXPECT_EQ(CVSTVSHARE_UI_set_list_value(d, "PARTS", 2, 0, two), 0);
    EXPECT_EQ(entries(), (Texts{"top", "core", "cavity", "slide", "lifter"}));
    EXPECT_EQ(CVSTVSHARE_UI_set_list_value(d, "PARTS", 2, 1, two), 0);
    EXPECT_EQ(entries(), (Texts{"slide", "lifter"}));
    char *holed[] = {const_cast<char *>("x"), nullptr};
    EXPECT_EQ(CVSTVSHARE_UI_set_list_value(d, "PARTS", 2, 1, holed), -1);
    EXPECT_EQ(entries(), (Texts{"slide", "lifter"})) << "a list with a null text changes nothing";

    EXPECT_EQ(STV_ui_modify_list_item(d, "PARTS", "core", 1), 0);
    EXPECT_EQ(STV_ui_modify_list_item(d, "PARTS", "nowhere", 2), 0);
    EXPECT_EQ(entries(), (Texts{"slide", "core"}));
    EXPECT_EQ(STV_ui_modify_list_item(d, "NAME", "x", 0), -1);

    std::string long_entry(60, 'e');
    char *given[] = {long_entry.data(), const_cast<char *>("short")};
    EXPECT_EQ(STV_ui_modify_list(d, "PARTS", given, 2, 1), 0);
    EXPECT_EQ(entries(), (Texts{std::string(49, 'e'), "short"}));
    EXPECT_EQ(chosen(), (std::vector<int>{1}));
    EXPECT_EQ(item(d, "PARTS").shown, 1) << "the chosen entry is scrolled into view";
    EXPECT_EQ(STV_ui_modify_list(d, "PARTS", nullptr, 0, 0), 0);
    EXPECT_EQ(entries().size(), 2u) << "without entries only the choice changes";
    EXPECT_EQ(STV_modify_list(d, "PARTS", given, 2, 0), 0);
    EXPECT_EQ(entries().front(), long_entry) << "STV_modify_list sets the caller's entries as they are";

    int shown = -9;
    EXPECT_EQ(CVSTVSHARE_UI_set_list_show(d, "PARTS", 0), 0);
    EXPECT_EQ(STV_ui_get_list_show_item(d, "PARTS", &shown), 0);
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(STV_ui_set_list_show_item(d, "PARTS", 5), -1);
}

TEST_F(DialogLists, ChoosingByIndexAndByText)
{
    EXPECT_EQ(CVSTVSHARE_UI_select_subitem(d, "PARTS", 3), 0);
    EXPECT_TRUE(chosen().empty()) << "an index equal to the count sets nothing";
    EXPECT_EQ(CVSTVSHARE_UI_select_subitem(d, "PARTS", 2), 0);
    EXPECT_EQ(chosen(), (std::vector<int>{2}));
    EXPECT_EQ(CVSTVSHARE_UI_select_subitem(d, "PARTS", -1), 0);
    EXPECT_TRUE(chosen().empty());
    EXPECT_EQ(CVSTVSHARE_UI_select_subitem(d, "NAME", 0), HX_STYLER_ERR_BAD_ATTRIBUTE)
        << "the status of counting";

    EXPECT_EQ(CVSTVSHARE_UI_select_subitem1(d, "PARTS", "core", 1), 0);
    EXPECT_EQ(chosen(), (std::vector<int>{1}));
    EXPECT_EQ(CVSTVSHARE_UI_select_subitem1(d, "PARTS", "slide", 1), 0);
    EXPECT_EQ(entries(), (Texts{"top", "core", "cavity", "slide"}));
    EXPECT_EQ(chosen(), (std::vector<int>{3})) << "a missing text is appended and chosen";
    EXPECT_EQ(CVSTVSHARE_UI_select_subitem1(d, "PARTS", "lifter", 0), 0);
    EXPECT_EQ(chosen(), (std::vector<int>{0})) << "without adding, a missing text chooses entry 0";
    CVSTVSHARE_UI_insert_subitem(d, "PARTS", "core", 9);
    EXPECT_EQ(CVSTVSHARE_UI_select_subitem1(d, "PARTS", "core", 0), 0);
    EXPECT_EQ(chosen(), (std::vector<int>{4})) << "the last equal entry";
    EXPECT_EQ(CVSTVSHARE_UI_select_subitem1(d, "NAME", "core", 0), -1);

    EXPECT_EQ(CVSTVSHARE_UI_deselect_subitem(d, "PARTS", 4), 0);
    EXPECT_TRUE(chosen().empty());
    int index = 0;
    EXPECT_EQ(CVSTVSHARE_UI_ask_selected_subitem_index(d, "PARTS", &index), 0);
    EXPECT_EQ(index, -1);
}

TEST_F(DialogLists, TheChosenEntryIsReadAsIndexAndText)
{
    int index = 5;
    char *text = nullptr;
    EXPECT_EQ(CVSTVSHARE_UI_ask_selected_subitem_value(d, "PARTS", &index, &text), 1);
    EXPECT_EQ(index, -1);
    EXPECT_STREQ(text, "top") << "nothing chosen: the first entry's text";
    HX_free(text);
    CVSTVSHARE_UI_set_item_choice(d, "PARTS", 2);
    EXPECT_EQ(CVSTVSHARE_UI_ask_selected_subitem_value(d, "PARTS", &index, &text), 0);
    EXPECT_EQ(index, 2);
    EXPECT_STREQ(text, "cavity");
    HX_free(text);
    CVSTVSHARE_UI_clear_list(d, "PARTS");
    EXPECT_EQ(CVSTVSHARE_UI_ask_selected_subitem_value(d, "PARTS", &index, &text), -1);
    EXPECT_EQ(text, nullptr);

    CVSTVSHARE_UI_select_subitem1(d, "MODE", "english", 0);
    EXPECT_EQ(STV_ui_get_sel_list(d, "MODE", &text), 1);
    EXPECT_STREQ(text, "english");
    HX_free(text);
    EXPECT_EQ(STV_ui_get_sel_list(d, "SIDE", &text), -1);
    EXPECT_EQ(text, nullptr);
}

TEST_F(DialogLists, SeveralChosenEntriesAreReadAsIndicesAndTexts)
{
    char **list = nullptr;
    int *indices = nullptr;
    int count = 0;
    EXPECT_EQ(STV_ui_get_multi_list(d, "MULTI", &list, &indices, &count), 0);
    ASSERT_EQ(count, 2);
    EXPECT_EQ((std::vector<int>{indices[0], indices[1]}), (std::vector<int>{1, 3}));
    EXPECT_EQ(take(list), (Texts{"b", "d"}));
    HX_free(indices);

    const int more[] = {0, 2};
    EXPECT_EQ(STV_ui_sel_multi_list(d, "MULTI", more, 2), 0);
    EXPECT_EQ(chosen("MULTI"), (std::vector<int>{0, 1, 2, 3}));
    const int fewer[] = {1, 9, 2};
    EXPECT_EQ(STV_ui_desel_multi_list_item(d, "MULTI", fewer, 3), -1);
    EXPECT_EQ(chosen("MULTI"), (std::vector<int>{0, 2, 3})) << "stops at the first refusal";
    EXPECT_EQ(STV_get_list(d, "MULTI", &list, &count), 0);
    EXPECT_EQ(take(list), (Texts{"a", "c", "d"}));
    EXPECT_EQ(STV_ui_desel_multi_list(d, "MULTI"), 0);
    EXPECT_EQ(CVSTVSHARE_UI_ask_selected_subitems_value(d, "MULTI", &count, &list, &indices), 0);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(list, nullptr);
    EXPECT_EQ(indices, nullptr);
}

TEST_F(DialogLists, HostRefusalsAndAllocationFailuresLeaveNothingBehind)
{
    CVSTVSHARE_UI_set_item_choice(d, "PARTS", 1);
    for (long n = 0; n < 8; ++n) {
        vexa::sim::fail_allocations_after(n);
        char **list = nullptr;
        int *indices = nullptr;
        int count = 0;
        int status = STV_ui_get_multi_list(d, "MULTI", &list, &indices, &count);
        char *text = nullptr;
        int index = 0;
        int value_status = CVSTVSHARE_UI_ask_selected_subitem_value(d, "PARTS", &index, &text);
        vexa::sim::fail_allocations_after(-1);
        if (status == 0) {
            EXPECT_EQ(take(list), (Texts{"b", "d"})) << n;
            HX_free(indices);
        } else {
            EXPECT_EQ(status, -1);
            EXPECT_EQ(list, nullptr);
            EXPECT_EQ(indices, nullptr);
        }
        if (value_status == 0)
            EXPECT_STREQ(text, "core");
        else
            EXPECT_EQ(text, nullptr);
        HX_free(text);
    }
    vexa::sim::fail_call("HX_STYLER_ask_value", HX_ERR_INTERNAL);
    int count = 0;
    char **list = nullptr;
    EXPECT_EQ(CVSTVSHARE_UI_ask_list_value(d, "PARTS", &count, &list), HX_ERR_INTERNAL);
    EXPECT_EQ(CVSTVSHARE_UI_insert_subitem(d, "PARTS", "x", 1), HX_ERR_INTERNAL);
    EXPECT_EQ(CVSTVSHARE_UI_select_subitem1(d, "PARTS", "x", 1), -1);
    EXPECT_EQ(entries().size(), 3u);
}
